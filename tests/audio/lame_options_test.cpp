#include "audio/lame_options.h"

#include <gtest/gtest.h>

namespace zq48 {
namespace {

using Words = std::vector<std::string>;

TEST(LameArguments, AreTheStagesCommandLineAsData) {
  EXPECT_EQ(LameArguments(1, 8000, 16, 1.0f),
            (Words{"ZQ48.exe", "-b", "16", "-m", "mono", "--resample", "8000", "--scale",
                   "1.000000", "-q", "0", "myin.wav", "myout.mp3"}));
  EXPECT_EQ(LameArguments(2, 22050, 64, 0.25f),
            (Words{"ZQ48.exe", "-b", "64", "-m", "stereo", "--resample", "22050", "--scale",
                   "0.250000", "-q", "0", "myin.wav", "myout.mp3"}));
  EXPECT_EQ(LameArguments(0, 8000, 16, 1.0f), std::nullopt);
  EXPECT_EQ(LameArguments(3, 8000, 16, 1.0f), std::nullopt);
}

TEST(LameArguments, AmountToTheSettingsOfTheFilter) {
  LameSettings s;
  ASSERT_TRUE(ParseLameCommandLine(*LameArguments(2, 22000, 48, 1.5f), s));
  EXPECT_EQ(s, (LameSettings{48, Mp3ChannelMode::Stereo, 22050, 1.5f, 0}));
}

TEST(LameResample, PicksTheMpegRateOfTheWholeKilohertz) {
  EXPECT_EQ(ResampleRate(22050), 22050);
  EXPECT_EQ(ResampleRate(22000), 22050);
  EXPECT_EQ(ResampleRate(9000), 0);  // the encoder chooses
  EXPECT_EQ(ResampleRate(8000), 8000);
  EXPECT_EQ(ResampleRate(11000), 11025);
  EXPECT_EQ(ResampleRate(12000), 12000);
  EXPECT_EQ(ResampleRate(16000), 16000);
  EXPECT_EQ(ResampleRate(24000), 24000);
  EXPECT_EQ(ResampleRate(32000), 32000);
  EXPECT_EQ(ResampleRate(44100), 44100);
  EXPECT_EQ(ResampleRate(48000), 48000);
  EXPECT_EQ(ResampleRate(22.05), 22050);  // below 1000: already kHz
  EXPECT_EQ(ResampleRate(44), 44100);
  EXPECT_EQ(ResampleRate(96000), 0);
  EXPECT_EQ(ResampleRate(1e300), 0);
  EXPECT_EQ(ResampleRate(-8000), 0);
}

TEST(LameOptions, SplitAtBlanksWithoutEmptyWords) {
  EXPECT_EQ(SplitOptionText("-b 128 -m j"), (Words{"-b", "128", "-m", "j"}));
  EXPECT_EQ(SplitOptionText("  -q  2 "), (Words{"-q", "2"}));
  EXPECT_EQ(SplitOptionText(""), Words{});
}

TEST(LameOptions, HonourBitRateModeResampleScaleAndQuality) {
  LameSettings s;
  ASSERT_TRUE(
      ParseLameOptions(SplitOptionText("-b 128 -m j --resample 44.1 --scale 2.5 -q 12"), s));
  EXPECT_EQ(s, (LameSettings{128, Mp3ChannelMode::JointStereo, 44100, 2.5f, 9}));  // -q clamped
  ASSERT_TRUE(ParseLameOptions({"-q", "-3", "-m", "s", "-m", "mono"}, s));
  EXPECT_EQ(s.quality, 0);
  EXPECT_EQ(s.mode, Mp3ChannelMode::Mono);  // the later option wins
  EXPECT_EQ(s.bitRateKbps, 128);            // untouched settings stay
  ASSERT_TRUE(ParseLameOptions({"--resample", "0"}, s));
  EXPECT_EQ(s.outSampleRate, 0);  // the encoder chooses
}

TEST(LameOptions, RejectWhatTheyDoNotHonour) {
  for (const Words& bad :
       {Words{"--vbr-new"}, Words{"-b"}, Words{"-b", "128k"}, Words{"-b", "-1"}, Words{"-m", "x"},
        Words{"--resample", "fast"}, Words{"--resample", "-1"}, Words{"--scale", "nan"},
        Words{"--scale", "inf"}, Words{"-q", "2.5"}, Words{"song.wav"}, Words{"-"}}) {
    LameSettings s;
    EXPECT_FALSE(ParseLameOptions(bad, s)) << bad[0];
  }
}

TEST(LameOptions, ACommandLineTakesAtMostTwoNames) {
  LameSettings s;
  EXPECT_TRUE(ParseLameCommandLine({"prog", "-b", "8", "in.wav", "out.mp3"}, s));
  EXPECT_FALSE(ParseLameCommandLine({"prog", "in.wav", "out.mp3", "third.mp3"}, s));
  EXPECT_FALSE(ParseLameCommandLine({"prog", "--vbr-new", "in.wav", "out.mp3"}, s));
}

TEST(LameOptions, TheCommandLineOverridesWhatTheEnvironmentSet) {
  LameSettings s;
  ASSERT_TRUE(ParseLameOptions(SplitOptionText("-b 320 -q 7"), s));
  ASSERT_TRUE(ParseLameCommandLine(*LameArguments(1, 8000, 16, 1.0f), s));
  EXPECT_EQ(s.bitRateKbps, 16);
  EXPECT_EQ(s.quality, 0);
}

}  // namespace
}  // namespace zq48

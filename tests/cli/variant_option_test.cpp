// --variant: explicit variant lists checked by the Expert page's rules.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "cli/cli_run.h"
#include "container/stream_headers.h"
#include "support/elementary_decoder.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

using testing::ClipSpec;
using testing::Quote;
using testing::CliRun;

constexpr const char* kFull = "w=320,h=240,fps=15,video=300,audio=32,rate=22050,channels=2";

class VariantOption : public ::testing::Test {
 protected:
  void SetUp() override {
    clip_ = dir_.File("clip.avi");
    testing::WriteAvi(clip_, ClipSpec{.width = 320, .height = 240, .seconds = 1.0});
  }
  CliRun Ladder(const std::vector<std::string>& texts, const std::string& file, bool json = true) {
    std::string args = json ? "--ladder --json" : "--ladder";
    for (const std::string& s : texts) args += " --variant " + Quote(s);
    return testing::Zq48enc(args + " " + Quote(file), dir_.path());
  }
  QJsonArray Variants(const CliRun& run) {
    QJsonObject doc = testing::ParseObject(run.out);
    return doc["files"].toArray()[0].toObject()["variants"].toArray();
  }
  testing::TempDir dir_;
  std::string clip_;
};

TEST_F(VariantOption, AcceptedVariantsKeepTheirValuesAndReplaceTheLadder) {
  CliRun run = Ladder({std::string(kFull) + ",volume=0.8,begin=0.25,end=0.75,crop=2:4:6:8",
                    "w=161,h=121,fps=30,video=50,audio=8,rate=8000,channels=1"},
                   clip_);
  ASSERT_EQ(run.status, 0) << run.err;
  QJsonObject file = testing::ParseObject(run.out)["files"].toArray()[0].toObject();
  EXPECT_TRUE(file["custom"].toBool());
  QJsonArray v = file["variants"].toArray();
  ASSERT_EQ(v.size(), 2);
  QJsonObject a = v[0].toObject(), b = v[1].toObject();
  EXPECT_EQ(a["width_px"].toInt(), 320);
  EXPECT_EQ(a["height_px"].toInt(), 240);
  EXPECT_DOUBLE_EQ(a["frame_rate_fps"].toDouble(), 15.0);
  EXPECT_EQ(a["video_bit_rate_kbps"].toInt(), 300);  // as given, not total minus sound
  EXPECT_EQ(a["audio_bit_rate_kbps"].toInt(), 32);
  EXPECT_EQ(a["audio_sample_rate_hz"].toInt(), 22050);
  EXPECT_EQ(a["audio_channels"].toInt(), 2);
  EXPECT_NEAR(a["volume_factor"].toDouble(), 0.8, 1e-6);
  EXPECT_DOUBLE_EQ(a["begin_s"].toDouble(), 0.25);
  EXPECT_DOUBLE_EQ(a["end_s"].toDouble(), 0.75);
  EXPECT_EQ(a["crop_left_px"].toInt(), 2);
  EXPECT_EQ(a["crop_right_px"].toInt(), 4);
  EXPECT_EQ(a["crop_top_px"].toInt(), 6);
  EXPECT_EQ(a["crop_bottom_px"].toInt(), 8);
  EXPECT_TRUE(a["video_on"].toBool());
  EXPECT_TRUE(a["audio_on"].toBool());
  // As the page's Add: the size is taken as typed (no cap, no rounding to 16),
  // the frame rate is brought down to the source's, the volume is the file's.
  EXPECT_EQ(b["width_px"].toInt(), 161);
  EXPECT_EQ(b["height_px"].toInt(), 121);
  EXPECT_DOUBLE_EQ(b["frame_rate_fps"].toDouble(), 15.0);
  EXPECT_NEAR(b["volume_factor"].toDouble(), 1.0, 1e-6);
  EXPECT_EQ(b["tag"].toString().toStdString(), "_dr50_fr15.00_w161_h121_Ch1_Sr8000_Br8");

  // The plain list says the same.
  CliRun plain = Ladder({std::string(kFull) + ",volume=0.8,begin=0.25,end=0.75,crop=2:4:6:8"}, clip_, false);
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.out, "file: " + clip_ +
                           "\n_dr300_fr15.00_w320_h240_Ch2_Sr22050_Br32 volume=0.80 begin=0.250 end=0.750 "
                           "crop-bottom=8 crop-left=2 crop-right=4 crop-top=6\n");

  // A low frame rate is kept at the floor of 0.1; no sound or no video,
  // each without the fields it does not need (the file's own frame rate).
  run = Ladder({"w=160,h=120,fps=0.01,video=40,audio=0", "video=0,audio=16,rate=16000,channels=1"}, clip_);
  ASSERT_EQ(run.status, 0) << run.err;
  v = Variants(run);
  EXPECT_DOUBLE_EQ(v[0].toObject()["frame_rate_fps"].toDouble(), 0.1);
  EXPECT_FALSE(v[0].toObject()["audio_on"].toBool());
  EXPECT_EQ(v[0].toObject()["tag"].toString().toStdString(), "_dr40_fr0.10_w160_h120_Ch0_Sr0_Br0");
  EXPECT_FALSE(v[1].toObject()["video_on"].toBool());
  EXPECT_TRUE(v[1].toObject()["audio_on"].toBool());
  EXPECT_DOUBLE_EQ(v[1].toObject()["frame_rate_fps"].toDouble(), 15.0);
  EXPECT_TRUE(v[1].toObject()["tag"].toString().endsWith("_Ch1_Sr16000_Br16"));
}

// Each of begin=, end= and crop= a variant gives replaces the file's value
// from --begin, --end or --crop; the rest stay the file's. Seconds keep
// single precision, as the desktop program's dialog gives them.
TEST_F(VariantOption, AVariantsOwnRangeOrCropReplacesTheFilesOne) {
  CliRun run = testing::Zq48enc("--ladder --json --begin 0.5 --end 0.9 --crop 1,2,3,4 --variant " +
                                    Quote(std::string(kFull) + ",begin=0.1") + " --variant " +
                                    Quote("w=161,h=121,fps=30,video=50,audio=8,rate=8000,channels=1,crop=5:6:7:8") +
                                    " " + Quote(clip_),
                                dir_.path());
  ASSERT_EQ(run.status, 0) << run.err;
  QJsonArray v = Variants(run);
  ASSERT_EQ(v.size(), 2);
  QJsonObject a = v[0].toObject(), b = v[1].toObject();
  EXPECT_EQ(a["begin_s"].toDouble(), static_cast<double>(0.1f));
  EXPECT_EQ(a["end_s"].toDouble(), static_cast<double>(0.9f));
  EXPECT_EQ(b["begin_s"].toDouble(), 0.5);
  EXPECT_EQ(b["end_s"].toDouble(), static_cast<double>(0.9f));
  const char* margins[] = {"crop_left_px", "crop_right_px", "crop_top_px", "crop_bottom_px"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(a[margins[i]].toInt(), 1 + i) << margins[i];
    EXPECT_EQ(b[margins[i]].toInt(), 5 + i) << margins[i];
  }
}

TEST_F(VariantOption, DuplicatesAreRefusedWithThePagesText) {
  const std::string kSame = "ZQ48: Filter with the same parameters already exists\n";
  struct Case {
    const char* second;
    bool refused;
  } cases[] = {
      {kFull, true},
      {"w=320,h=240,fps=30,video=300,audio=32,rate=22050,channels=2", true},   // both 15 fps after the clamp
      {"w=320,h=240,fps=15.004,video=300,audio=32,rate=22050,channels=2", true},  // the same to two decimals
      {"w=320,h=240,fps=15,video=300,audio=32,rate=44100,channels=1,volume=1.2", true},  // not among the five
      {"w=320,h=240,fps=15,video=300,audio=16,rate=22050,channels=2", false},
      {"w=320,h=240,fps=10,video=300,audio=32,rate=22050,channels=2", false},
      {"w=320,h=240,fps=15,video=301,audio=32,rate=22050,channels=2", false},
      {"w=320,h=224,fps=15,video=300,audio=32,rate=22050,channels=2", false},
      {"w=304,h=240,fps=15,video=300,audio=32,rate=22050,channels=2", false},
  };
  for (const Case& c : cases) {
    CliRun run = Ladder({kFull, c.second}, clip_);
    EXPECT_EQ(Variants(run).size(), c.refused ? 1 : 2) << c.second;
    EXPECT_EQ(run.status, c.refused ? 1 : 0) << c.second;
    if (c.refused) {
      EXPECT_EQ(run.err, kSame + "zq48enc: " + clip_ + ": variant not added: " + c.second + "\n");
    } else {
      EXPECT_EQ(run.err, "") << c.second;
    }
  }

  // A file without sound gets no audio, so two variants that differ only in it are the same.
  const std::string silent = dir_.File("silent.avi");
  testing::WriteAvi(silent, ClipSpec{.seconds = 1.0, .audio = false});
  CliRun run = Ladder({"w=160,h=128,fps=15,video=100,audio=8,rate=8000,channels=1",
                    "w=160,h=128,fps=15,video=100,audio=16,rate=8000,channels=1"},
                   silent);
  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(Variants(run).size(), 1);
  QJsonObject only = Variants(run)[0].toObject();
  EXPECT_FALSE(only["audio_on"].toBool());
  EXPECT_EQ(only["tag"].toString().toStdString(), "_dr100_fr15.00_w160_h128_Ch0_Sr0_Br0");
  EXPECT_DOUBLE_EQ(only["volume_factor"].toDouble(), 0.0);
  EXPECT_NE(run.err.find(kSame), std::string::npos);
}

// A file the variants leave with nothing to encode is reported, and the
// files after it are encoded all the same.
TEST_F(VariantOption, AFileLeftWithoutVariantsIsReportedAndTheNextIsEncoded) {
  const std::string silent = dir_.File("silent.avi"), out = dir_.File("out");
  testing::WriteAvi(silent, ClipSpec{.seconds = 1.0, .audio = false});
  CliRun run = testing::Zq48enc("--progress=json -o " + Quote(out) + " --variant video=0,audio=8,rate=8000,channels=1 " +
                                    Quote(silent) + " " + Quote(clip_),
                                dir_.path());
  EXPECT_EQ(run.status, 1);
  std::vector<QJsonObject> events = testing::ParseLines(run.err);
  std::vector<QJsonObject> failed = testing::Events(events, "file_failed");
  ASSERT_EQ(failed.size(), 1u) << run.err;
  EXPECT_EQ(testing::Str(failed[0]["file"]), silent);
  EXPECT_EQ(testing::Str(failed[0]["message"]), silent + " has no output variants: it is not encoded.");
  EXPECT_EQ(testing::Events(events, "variant_finished").size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(out + "/clip.meta.zq48"));
  EXPECT_EQ(events.back()["files_encoded"].toInt(), 1);
  EXPECT_EQ(events.back()["files_failed"].toInt(), 1);
}

TEST_F(VariantOption, TimeRangesAndCropsAreCheckedAsTheDialogChecksThem) {
  struct Case {
    const char* tail;
    const char* message;
  } cases[] = {
      {",begin=2,end=1", "Begin time must be less than end time."},
      {",begin=-1", "Begin offset must be non-negative value."},
      {",crop=0:0:-1:0", "Top offset must be non-negative value."},
      {",crop=200:120:0:0", "Cropping left plus right must be less than width of film."},
      {",crop=0:0:100:140", "Cropping top plus bottom must be less than height of film."},
  };
  for (const Case& c : cases) {
    CliRun run = Ladder({std::string(kFull) + c.tail}, clip_);
    EXPECT_EQ(run.status, 2) << c.tail;
    EXPECT_EQ(run.err, std::string("Error - invalid input: ") + c.message + "\n") << c.tail;
    EXPECT_EQ(run.out, "") << c.tail;
  }
  // Just inside the film's size is fine.
  EXPECT_EQ(Ladder({std::string(kFull) + ",crop=200:119:100:139"}, clip_).status, 0);
}

TEST_F(VariantOption, MalformedVariantsAreUsageErrors) {
  const char* bad[] = {
      "w=320,h=240,fps=15,video=300,audio=32,rate=22050",                // channels missing
      "video=300,audio=32,rate=22050,channels=1",                         // a picture needs its size
      "w=320,h=240,fps=15,video=300,audio=32",                            // a sound needs its format
      "w=320,h=240,fps=15,video=300",                                     // audio missing
      "w=320,h=240,fps=15,video=300,audio=32,rate=22050,channels=1,x=1",  // unknown key
      "w=320,w=240,h=240,fps=15,video=300,audio=32,rate=22050,channels=1",
      "w=320,h=240,fps=15,video=300,audio=24,rate=22050,channels=1",  // not 8, 16 or 32
      "w=320,h=240,fps=15,video=300,audio=16,rate=44100,channels=1",  // MPEG-1 sound starts at 32
      "w=320,h=240,fps=15,video=300,audio=32,rate=22000,channels=1",
      "w=320,h=240,fps=15,video=300,audio=32,rate=22050,channels=3",
      "w=320,h=240,fps=15,video=300,audio=32,rate=22050,channels=1,volume=1.6",
      "w=320,h=240,fps=15,video=0,audio=0,rate=0,channels=0",
      "w=0,h=240,fps=15,video=300,audio=32,rate=22050,channels=1",
      "w=320,h=240,fps=0,video=300,audio=32,rate=22050,channels=1",
      "w=320,h=240,fps=15,video=-5,audio=32,rate=22050,channels=1",
      "w=320,h=240,fps=fast,video=300,audio=32,rate=22050,channels=1",
      "w=320,h=240,fps=15,video=300,audio=32,rate=22050,channels=1,crop=1:2:3",
      "w=320,h=240,fps=15,video=300,audio=32,rate=22050,channels=1,",
  };
  for (const char* text : bad) {
    CliRun run = Ladder({text}, clip_);
    EXPECT_EQ(run.status, 2) << text;
    EXPECT_NE(run.err.find("zq48enc: --variant " + std::string(text) + ": "), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << text;
  }
  CliRun mixed = testing::Zq48enc("--ladder --quality 50 --variant " + Quote(kFull) + " " + Quote(clip_), dir_.path());
  EXPECT_EQ(mixed.status, 2);
  EXPECT_NE(mixed.err.find("--variant replaces the ladder"), std::string::npos);
}

std::vector<std::uint8_t> Payload(const std::string& path, std::size_t headers) {
  std::string bytes = testing::ReadText(path);
  return std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(headers), bytes.end());
}

// The encode writes what the list says: a stereo 22.05 kHz sound stream, a
// stream without sound, and a sound-only variant.
TEST_F(VariantOption, EncodesTheExplicitVariants) {
  const std::string out = dir_.File("out");
  testing::WriteAvi(clip_, ClipSpec{.width = 320, .height = 240, .seconds = 1.0, .channels = 2});
  CliRun run = testing::Zq48enc("-o " + Quote(out) + " --variant w=176,h=144,fps=15,video=120,audio=32,rate=22050,channels=2" +
                                 " --variant w=96,h=64,fps=5,video=40,audio=0" +
                                 " --variant video=0,audio=8,rate=8000,channels=1 " + Quote(clip_),
                             dir_.path());
  ASSERT_EQ(run.status, 0) << run.err;
  CliRun meta = testing::Zq48enc("--inspect --json " + Quote(out + "/clip.meta.zq48"), dir_.path());
  QJsonObject m = testing::ParseObject(meta.out)["files"].toArray()[0].toObject();
  ASSERT_EQ(m["video_rates_bps"].toArray().size(), 2) << meta.out;
  ASSERT_EQ(m["audio_rates_bps"].toArray().size(), 2) << meta.out;

  int widths[2] = {0, 0};
  for (int i = 0; i < 2; ++i) {
    const std::string video = out + "/clip_" + std::to_string(m["video_rates_bps"].toArray()[i].toInt()) + "bps.video.zq48";
    CliRun inspect = testing::Zq48enc("--inspect --json " + Quote(video), dir_.path());
    widths[i] = testing::ParseObject(inspect.out)["files"].toArray()[0].toObject()["width_px"].toInt();
  }
  EXPECT_EQ(widths[0], 176);
  EXPECT_EQ(widths[1], 96);

  // The first sound stream decodes as stereo at 22050 Hz, the second as mono at 8000 Hz.
  const int expected[2][2] = {{2, 22050}, {1, 8000}};
  for (int i = 0; i < 2; ++i) {
    const std::string audio = out + "/clip_" + std::to_string(m["audio_rates_bps"].toArray()[i].toInt()) + "bps.audio.zq48";
    int channels = 0, rate = 0, frames = 0;
    int damaged = testing::DecodeElementaryStream(AV_CODEC_ID_MP3, Payload(audio, kAudioHeadersSize), nullptr,
                                                  [&](const AVFrame& f) {
                                                    channels = f.ch_layout.nb_channels;
                                                    rate = f.sample_rate;
                                                    ++frames;
                                                  });
    EXPECT_EQ(damaged, 0) << audio;
    EXPECT_GT(frames, 0) << audio;
    EXPECT_EQ(channels, expected[i][0]) << audio;
    EXPECT_EQ(rate, expected[i][1]) << audio;
  }
}

}  // namespace
}  // namespace zq48

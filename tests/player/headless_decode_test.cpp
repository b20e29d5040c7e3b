// "zqmPlayer.jar --decode" against FFmpeg's decoders of the same streams:
// packages from zq48enc at every frame rate of the ladder and both of its
// sound settings, packages made by hand for picture sizes and sound the
// ladder never makes, and damaged or incomplete packages.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "player/player_package.h"
#include "support/test_media.h"

namespace zq48::testing {
namespace {

constexpr std::size_t kVideoHeaders = 24;
constexpr std::size_t kAudioHeaders = 12;
// 576 samples of LAME's encoder delay and 529 of the decoder's synthesis filter.
constexpr std::size_t kStartDelaySamples = 576 + 529;

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

// Encodes a clip into dir/out with zq48enc; the package's base name is "clip".
std::string EncodePackage(const TempDir& dir, const ClipSpec& clip, int quality, int rangeBegin, int rangeEnd) {
  std::string input = dir.File("clip.avi");
  WriteAvi(input, clip);
  std::string out = dir.File("out");
  std::filesystem::create_directories(out);
  CommandResult run = RunCommand(std::string("'") + ZQ48ENC_PATH + "' -o '" + out + "' --quality " +
                                     std::to_string(quality) + " --range-begin " + std::to_string(rangeBegin) +
                                     " --range-end " + std::to_string(rangeEnd) + " '" + input + "'",
                                 dir.File("zq48enc.stderr"));
  EXPECT_EQ(run.status, 0) << run.err;
  return out;
}

// The player's decode of the pair that exactly this bandwidth buys, picture by
// picture and sample by sample against FFmpeg's decode of the same streams.
void ExpectPlaysLikeFfmpeg(const std::string& folder, const std::string& base, const std::string& target,
                           const VariantRates& pair, const std::string& outDir) {
  PlayerDecode got = RunPlayerDecode(target, outDir, static_cast<long>(pair.total()));
  ASSERT_EQ(got.run.status, 0) << got.run.out << got.run.err;
  EXPECT_FALSE(Has(got.run.err, "zqmPlayer:")) << got.run.err;  // no warning either, timing included
  if (pair.video) {
    int errors = 0;
    YuvPictures reference = FfmpegVideo(StreamPayload(folder + "/" + VideoStreamName(base, pair.video), kVideoHeaders),
                                        &errors);
    ASSERT_EQ(errors, 0);
    ASSERT_FALSE(reference.pictures.empty());
    EXPECT_EQ(got.width, reference.width);
    EXPECT_EQ(got.height, reference.height);
    EXPECT_EQ(got.pictures, static_cast<int>(reference.pictures.size()));
    YuvPictures mine = ReadYuvFile(outDir + "/video.yuv", reference.width, reference.height);
    ASSERT_EQ(mine.pictures.size(), reference.pictures.size());
    PicturesCompared compared = ComparePictures(reference, mine);
    EXPECT_EQ(compared.differing, 0) << "pictures unlike FFmpeg's; the first: " << compared.first;
  } else {
    EXPECT_EQ(got.pictures, -1) << got.run.out;
  }
  if (pair.audio) {
    int errors = 0;
    Pcm reference = FfmpegAudio(StreamPayload(folder + "/" + AudioStreamName(base, pair.audio), kAudioHeaders), &errors);
    ASSERT_EQ(errors, 0);
    ASSERT_GT(reference.frames(), 0u);
    Pcm mine = ReadWavFile(outDir + "/audio.wav");
    EXPECT_EQ(got.rate, reference.rate);
    EXPECT_EQ(got.channels, reference.channels);
    EXPECT_EQ(mine.rate, reference.rate);
    EXPECT_EQ(mine.channels, reference.channels);
    EXPECT_EQ(got.samples, static_cast<long>(mine.frames()));
    // The player leaves out the MP3 encoder's start-up delay, which FFmpeg's
    // decode of the bare stream keeps: the sound heard starts that much later.
    ASSERT_GT(reference.frames(), kStartDelaySamples);
    reference.samples.erase(reference.samples.begin(),
                            reference.samples.begin() + kStartDelaySamples * reference.channels);
    EXPECT_EQ(mine.frames(), reference.frames());
    EXPECT_GE(SoundSnr(reference, mine), 30.0);
  } else {
    EXPECT_EQ(got.samples, -1) << got.run.out;
  }
}

// Every frame rate the quality slider gives the ladder, each with a lean rung
// (8 kbps sound) and a richer one (16 kbps); all sound at 8000 Hz mono.
TEST(HeadlessDecode, EveryLadderRungPlaysLikeFfmpeg) {
  struct Case {
    int quality;
    double fps;
    int width, height;
  } cases[] = {{0, 7, 176, 144}, {20, 10, 176, 144}, {50, 15, 320, 240}, {80, 18, 176, 144}};
  for (const Case& c : cases) {
    SCOPED_TRACE("quality " + std::to_string(c.quality));
    TempDir dir;
    ClipSpec clip;
    clip.width = c.width;
    clip.height = c.height;
    clip.seconds = 2.0;
    std::string out = EncodePackage(dir, clip, c.quality, 100, 200);
    std::vector<VariantRates> pairs = ReadMetafile(out + "/clip.meta.zq48");
    ASSERT_GE(pairs.size(), 2u);
    Bytes first = ReadBytes(out + "/" + VideoStreamName("clip", pairs[0].video));
    ASSERT_GE(first.size(), kVideoHeaders);
    EXPECT_EQ(U32At(first, 12), static_cast<std::uint32_t>(c.fps * 1e6));  // the ladder's frame rate
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      SCOPED_TRACE("variant " + std::to_string(i + 1));
      ExpectPlaysLikeFfmpeg(out, "clip", out + "/clip.html", pairs[i], dir.File("decoded" + std::to_string(i)));
    }
  }
}

// Sizes that are no multiple of 16 (even odd ones), stereo sound at 22 050
// and 44 100 Hz, variants with one stream only: streams from the engine's own
// codecs (FFmpeg's encoder for odd sizes, which xvid refuses), outside the ladder.
TEST(HeadlessDecode, OddSizesAndStereoSoundPlayLikeFfmpeg) {
  struct Case {
    const char* name;
    HandMadeVideo video;
    bool hasVideo;
    HandMadeAudio audio;
    bool hasAudio;
  } cases[] = {
      {"99x75, 22050 Hz stereo 64 kbps", {99, 75, 15, 30, 300000}, true, {22050, 2, 64, 2.0}, true},
      {"63x47 at 10 fps, 44100 Hz stereo 96 kbps", {63, 47, 10, 20, 150000}, true, {44100, 2, 96, 2.0}, true},
      {"160x120, 44100 Hz stereo 128 kbps", {160, 120, 18, 36, 400000}, true, {44100, 2, 128, 2.0}, true},
      {"sound only, 22050 Hz stereo 32 kbps", {}, false, {22050, 2, 32, 2.0}, true},
      {"pictures only, 98x74 at 7 fps", {98, 74, 7, 14, 100000}, true, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    WriteHandMadePackage(dir.path(), "film", c.hasVideo ? &c.video : nullptr, c.hasAudio ? &c.audio : nullptr);
    std::vector<VariantRates> pairs = ReadMetafile(dir.File("film.meta.zq48"));
    ASSERT_EQ(pairs.size(), 1u);
    ExpectPlaysLikeFfmpeg(dir.path(), "film", dir.File("film.meta.zq48"), pairs[0], dir.File("decoded"));
  }
}

// A damaged or incomplete package: exit status 1 with the reason, no Java
// exception, and what could be decoded still written.
class DamagedPackage : public ::testing::Test {
 protected:
  void SetUp() override {
    HandMadeVideo video{112, 80, 15, 45, 300000};
    HandMadeAudio audio{22050, 1, 32, 3.0};
    WriteHandMadePackage(dir_.path(), "film", &video, &audio);
    pair_ = ReadMetafile(dir_.File("film.meta.zq48")).at(0);
    videoFile_ = dir_.File(VideoStreamName("film", pair_.video));
    audioFile_ = dir_.File(AudioStreamName("film", pair_.audio));
    intact_ = RunPlayerDecode(dir_.File("film.meta.zq48"), dir_.File("intact"));
    ASSERT_EQ(intact_.run.status, 0) << intact_.run.err;
  }

  PlayerDecode Decode() {
    PlayerDecode got = RunPlayerDecode(dir_.File("film.meta.zq48"), dir_.File("damaged"));
    EXPECT_EQ(got.run.status, 1) << got.run.out << got.run.err;
    EXPECT_FALSE(Has(got.run.err, "Exception")) << got.run.err;
    EXPECT_FALSE(Has(got.run.err, "\tat ")) << got.run.err;
    return got;
  }

  // Pseudo-random bytes over count bytes from the middle of the file's stream.
  static void Scramble(const std::string& path, std::size_t headers, std::size_t count) {
    Bytes file = ReadBytes(path);
    std::size_t from = headers + (file.size() - headers) / 2 - count / 2;
    std::uint32_t state = 12345;
    for (std::size_t i = from; i < from + count && i < file.size(); ++i) {
      state = state * 1103515245u + 12345u;
      file[i] = static_cast<std::uint8_t>(state >> 16);
    }
    WriteBytes(path, file);
  }

  TempDir dir_;
  VariantRates pair_;
  std::string videoFile_;
  std::string audioFile_;
  PlayerDecode intact_;
};

TEST_F(DamagedPackage, TruncatedVideoDecodesWhatIsThere) {
  WriteTruncated(videoFile_, dir_.File("cut"), ReadBytes(videoFile_).size() * 6 / 10);
  std::filesystem::rename(dir_.File("cut"), videoFile_);
  PlayerDecode got = Decode();
  EXPECT_TRUE(Has(got.run.err, "cut short")) << got.run.err;
  EXPECT_GT(got.pictures, 0);
  EXPECT_LT(got.pictures, intact_.pictures);
  EXPECT_EQ(got.samples, intact_.samples);  // the sound is whole
  EXPECT_EQ(ReadYuvFile(dir_.File("damaged/video.yuv"), got.width, got.height).pictures.size(),
            static_cast<std::size_t>(got.pictures));
}

TEST_F(DamagedPackage, TruncatedSoundDecodesWhatIsThere) {
  WriteTruncated(audioFile_, dir_.File("cut"), ReadBytes(audioFile_).size() / 2);
  std::filesystem::rename(dir_.File("cut"), audioFile_);
  PlayerDecode got = Decode();
  EXPECT_TRUE(Has(got.run.err, "cut short")) << got.run.err;
  EXPECT_EQ(got.pictures, intact_.pictures);
  EXPECT_GT(got.samples, 0);
  EXPECT_LT(got.samples, intact_.samples);
}

TEST_F(DamagedPackage, ScrambledVideoIsReportedAsDamaged) {
  Scramble(videoFile_, kVideoHeaders, 1500);
  PlayerDecode got = Decode();
  EXPECT_TRUE(Has(got.run.err, VideoStreamName("film", pair_.video))) << got.run.err;
  EXPECT_GT(got.pictures, 0);
}

TEST_F(DamagedPackage, ScrambledSoundIsReportedAsDamaged) {
  Scramble(audioFile_, kAudioHeaders, 600);
  PlayerDecode got = Decode();
  EXPECT_TRUE(Has(got.run.err, AudioStreamName("film", pair_.audio))) << got.run.err;
  EXPECT_GT(got.samples, 0);
}

TEST_F(DamagedPackage, MissingStreamFilesAreNamed) {
  for (const std::string& file : {audioFile_, videoFile_}) {
    std::filesystem::remove(file);
    PlayerDecode got = Decode();
    EXPECT_TRUE(Has(got.run.err, "cannot find " + std::filesystem::path(file).filename().string())) << got.run.err;
  }
  std::filesystem::remove(dir_.File("film.meta.zq48"));
  PlayerDecode got = Decode();
  EXPECT_TRUE(Has(got.run.err, "cannot find film.meta.zq48")) << got.run.err;
}

TEST_F(DamagedPackage, StreamHeadersOfAnotherFormatAreRefused) {
  Bytes file = ReadBytes(videoFile_);
  file[0] = 7;  // the format code
  WriteBytes(videoFile_, file);
  PlayerDecode got = Decode();
  EXPECT_TRUE(Has(got.run.err, "has format 7")) << got.run.err;
}

}  // namespace
}  // namespace zq48::testing

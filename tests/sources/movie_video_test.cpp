// Movie-file video from real movie files: every sample's picture once, in
// display order; the box a track is shown in; edit lists counted alike by
// the probe and the extraction.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <numeric>

#include "sources/probe.h"
#include "container/metafile.h"
#include "sources/ffmpeg_general_media.h"
#include "sources/ffmpeg_movie_media.h"
#include "encode/pipeline/movie_video_worker.h"
#include "audio/audio_test_support.h"
#include "support/movie_test_media.h"
#include "support/null_job_host.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"
#include "support/video_decode.h"

namespace zq48 {
namespace {

using testing::MovieSpec;
using testing::RecordingNotifier;
using testing::TempDir;

struct Extracted {
  std::vector<int> pictures;  // which source picture each one is
  std::vector<double> times;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> first;  // bottom-up rows
};

Extracted ExtractAll(const std::string& path, double begin = 0.0) {
  Extracted out;
  std::unique_ptr<MovieVideoSource> movie = OpenMovieVideo(path);
  if (!movie) return out;
  out.width = movie->width();
  out.height = movie->height();
  JobState state;
  ExtractMovieVideo(*movie, begin, 0, state, [&out](double t, SharedBuffer picture) {
    if (out.first.empty()) out.first = *picture;
    out.pictures.push_back(testing::MoviePictureIndex(picture->data(), out.width, out.height));
    out.times.push_back(t);
  });
  return out;
}

std::vector<int> Pictures(int from, int to) {
  std::vector<int> v(static_cast<std::size_t>(to - from));
  std::iota(v.begin(), v.end(), from);
  return v;
}

TEST(MovieVideo, BFramesGiveEverySamplesPictureOnceInDisplayOrder) {
  TempDir dir;
  std::string path = dir.File("bframes.mov");
  testing::WriteMovieFile(path, MovieSpec{.seconds = 2.0, .bFrames = 2});
  Extracted all = ExtractAll(path);
  EXPECT_EQ(all.pictures, Pictures(0, 30));
  ASSERT_EQ(all.times.size(), 30u);
  EXPECT_NEAR(all.times.back(), 29 * 2.0 / 30, 1e-5);

  // From 1 s on: the sample at 1 s (picture 15, a B-frame or behind one) and all after it.
  EXPECT_EQ(ExtractAll(path, 1.0).pictures, Pictures(15, 30));
  EXPECT_EQ(ExtractAll(path, 1.3).pictures, Pictures(20, 30));
}

// Mean green of a corner of a bottom-up picture, an eighth of each side.
double Corner(const Extracted& e, bool top, bool left) {
  const int w = e.width / 8, h = e.height / 8;
  double sum = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int row = top ? e.height - 1 - y : y;
      const int col = left ? x : e.width - 1 - x;
      sum += e.first[(static_cast<std::size_t>(row) * e.width + col) * 3 + 1];
    }
  return sum / (w * h);
}

struct BoxCase {
  const char* name;
  MovieSpec shape;
  int width;
  int height;
  bool cornerTop;  // where the source's top left corner is shown
  bool cornerLeft;
};

TEST(MovieVideo, TheBoxIsTheTracksDisplaySizeAndThePictureIsTurnedIntoIt) {
  const BoxCase cases[] = {
      {"plain", MovieSpec{}, 160, 120, true, true},
      {"turned 90", MovieSpec{.matrix = testing::TurnMatrix(90)}, 120, 160, true, false},
      {"turned 180", MovieSpec{.matrix = testing::TurnMatrix(180)}, 160, 120, false, false},
      {"turned 270", MovieSpec{.matrix = testing::TurnMatrix(270)}, 120, 160, false, true},
      {"stretched across", MovieSpec{.matrix = testing::ScaleMatrix(2, 1)}, 320, 120, true, true},
      {"doubled", MovieSpec{.matrix = testing::ScaleMatrix(2, 2)}, 320, 240, true, true},
      {"mirrored", MovieSpec{.matrix = testing::ScaleMatrix(-1, 1)}, 160, 120, true, false},
      {"anamorphic", MovieSpec{.aspectNum = 2, .aspectDen = 1}, 320, 120, true, true},
  };
  TempDir dir;
  FfmpegMovieMedia media;
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir.File("box.mov");
    MovieSpec shape = c.shape;
    shape.seconds = 0.4;
    shape.sound.clear();
    testing::WriteMovieFile(path, shape);
    std::optional<MovieFacts> facts = media.OpenMovie(path);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->boxRight - facts->boxLeft, c.width);
    EXPECT_EQ(facts->boxBottom - facts->boxTop, c.height);
    Extracted e = ExtractAll(path);
    ASSERT_EQ(e.width, c.width);
    ASSERT_EQ(e.height, c.height);
    ASSERT_EQ(e.first.size(), static_cast<std::size_t>(c.width) * c.height * 3);
    // The white block of the source's top left corner is in exactly one corner.
    for (bool top : {true, false})
      for (bool left : {true, false}) {
        const bool expected = top == c.cornerTop && left == c.cornerLeft;
        if (expected) EXPECT_GT(Corner(e, top, left), 200) << top << left;
        else EXPECT_LT(Corner(e, top, left), 120) << top << left;
      }
  }
}

TEST(MovieVideo, AnEditListHidesTheSamePicturesFromTheProbeAndTheExtraction) {
  TempDir dir;
  std::string path = dir.File("edited.mov");
  // Three pictures before the start, as encoders leave them for their delay.
  testing::WriteMovieFile(path, MovieSpec{.fps = 15, .seconds = 2.0, .hiddenPictures = 3});
  InputCatalog catalog;
  RecordingNotifier notifier;
  FfmpegGeneralMedia general;
  FfmpegMovieMedia movie;
  MediaProbe probe(catalog, notifier, MediaServices{&general, &movie});
  ASSERT_TRUE(probe.Probe(path));
  EXPECT_EQ(catalog.Facts(path).frameRate, 15.0);  // 30 shown samples in 2 s

  std::unique_ptr<MovieVideoSource> source = OpenMovieVideo(path);
  ASSERT_TRUE(source);
  EXPECT_EQ(source->SampleCount(), 30);
  // The hidden pictures (33, 34 and 35 modulo 36) are not encoded.
  EXPECT_EQ(ExtractAll(path).pictures, Pictures(0, 30));
}

int RunCli(const std::string& args) {
  int raw = std::system((std::string(ZQ48ENC_PATH) + " " + args + " 2>/dev/null").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(MovieVideo, AMovieWithBFramesEncodesEveryPictureInEveryVariant) {
  TempDir dir;
  std::string path = dir.File("phone.mov");
  testing::WriteMovieFile(path, MovieSpec{.fps = 15, .seconds = 3.0, .bFrames = 2});
  std::string out = dir.File("out");
  ASSERT_EQ(RunCli("-o '" + out + "' '" + path + "'"), 0);
  std::optional<Metafile> meta = ReadMetafile(out + "/phone.meta.zq48", nullptr);
  ASSERT_TRUE(meta);
  ASSERT_EQ(meta->videoRates.size(), 3u);
  for (std::uint32_t rate : meta->videoRates) {
    std::vector<std::uint8_t> bytes = testing::ReadFile(out + "/phone_" + std::to_string(rate) + "bps.video.zq48");
    testing::DecodedVideo pictures = testing::DecodeMpeg4({bytes.begin() + 24, bytes.end()});
    EXPECT_EQ(pictures.errors, 0);
    EXPECT_EQ(pictures.pictures.size(), 45u) << rate;  // 3 s at 15 fps, as the source has
  }
}

}  // namespace
}  // namespace zq48

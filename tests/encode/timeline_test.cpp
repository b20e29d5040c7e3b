// What the viewer of a package sees is the film: pictures and sound on one
// timeline whatever the source's time stamps, the picture upright and in its
// shape, and the sound track the file marks as its own. Each clip carries a
// white flash and a beep at the same instants; every rung of the default
// ladder must keep them together.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "encode/filter_ladder.h"
#include "support/engine_run.h"
#include "support/package_timeline.h"
#include "support/test_media.h"
#include "support/timeline_test_media.h"

namespace zq48 {
namespace {

using testing::PackageSound;
using testing::PackageStreams;
using testing::TempDir;
using testing::TimelineClip;

// Encodes `path` with the default ladder through the engine into dir/out.
PackageStreams EncodeDefaultLadder(const TempDir& dir, const std::string& path, bool movieFiles = false) {
  testing::EngineRun run(false, movieFiles);
  EXPECT_TRUE(run.Add(path)) << path;
  GenerateSimpleFilters(run.catalog, path);
  EXPECT_EQ(run.engine.Start(dir.File("out")), EncodeController::EncodeResult::Started);
  EXPECT_TRUE(run.host.Wait(std::chrono::seconds(300)));
  run.engine.HandleJobFinished();
  EXPECT_EQ(run.notifier.texts(), std::vector<std::string>{});
  PackageStreams package = testing::ReadPackageStreams(dir.File("out"));
  // 48, 218 and 350 kbps; rungs that come out at the same measured rate share a name.
  EXPECT_FALSE(package.videos.empty());
  EXPECT_FALSE(package.sounds.empty());
  return package;
}

std::optional<MediaFacts> Probe(const std::string& path) {
  testing::EngineRun run(false);
  return run.engine.Probe(path, run.notifier);
}

// Where a package's sound starts its beeps and ends, in seconds of the film
// (LAME's start-up delay taken off).
struct SoundMarks {
  std::vector<double> beeps;
  double end = 0;
};

SoundMarks MarksOf(const PackageSound& sound, int delaySamples = testing::kMp3DelaySamples) {
  SoundMarks marks;
  std::vector<testing::ToneBurst> bursts = testing::ToneBursts(sound);
  EXPECT_EQ(bursts.size(), 3u) << sound.name << ": two beeps and the closing tone";
  if (bursts.size() != 3u || sound.rate == 0) return marks;
  for (int i = 0; i < 2; ++i) marks.beeps.push_back((bursts[i].start - delaySamples) / sound.rate);
  marks.end = (bursts[2].end - delaySamples) / sound.rate;
  return marks;
}

struct SyncCase {
  const char* name;
  TimelineClip (*make)();
  const char* extension;
  double videoStart;  // seconds, as the demuxer gives them
  double soundStart;
  double tolerance;  // seconds between a flash and its beep
  bool movieFile = false;  // read by the movie-file path
};

void PrintTo(const SyncCase& c, std::ostream* out) { *out << c.name; }

// The clip is what its case says: its streams start where the case says,
// and FFmpeg plays each flash with its beep.
void ExpectClipAsDescribed(const std::string& path, const SyncCase& c) {
  const testing::ClipMarks clip = testing::MeasureClip(path);
  EXPECT_NEAR(clip.videoStart, c.videoStart, 0.002);
  EXPECT_NEAR(clip.soundStart, c.soundStart, 0.002);
  ASSERT_EQ(clip.flashes.size(), 2u);
  ASSERT_EQ(clip.beeps.size(), 3u);  // and the closing tone
  for (int i = 0; i < 2; ++i) EXPECT_NEAR(clip.beeps[i], clip.flashes[i], 0.003) << "in the clip itself";
}

class PicturesMeetTheirSound : public ::testing::TestWithParam<SyncCase> {};

// In every rung, each flash picture and its beep are within the tolerance,
// the beeps start at their instants of the film (time 0 is the earliest
// start of the two streams), and the pictures last as long as the sound
// to within one picture.
TEST_P(PicturesMeetTheirSound, InEveryRung) {
  const SyncCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.File(std::string("clip") + c.extension);
  testing::WriteTimelineClip(path, c.make());
  ExpectClipAsDescribed(path, c);
  const PackageStreams package = EncodeDefaultLadder(dir, path, c.movieFile);
  for (const PackageSound& sound : package.sounds) {
    SCOPED_TRACE(sound.name);
    EXPECT_EQ(sound.errors, 0);
    const SoundMarks marks = MarksOf(sound);
    if (marks.beeps.size() != 2) continue;
    for (int i = 0; i < 2; ++i) EXPECT_NEAR(marks.beeps[i], testing::kFlashTimes[i], c.tolerance) << "beep " << i;
    for (const testing::PackagePictures& video : package.videos) {
      SCOPED_TRACE(video.name);
      EXPECT_EQ(video.errors, 0);
      ASSERT_GT(video.frameRate, 0);
      const std::vector<int> flashes = testing::FlashPictures(video);
      ASSERT_EQ(flashes.size(), 2u);
      for (int i = 0; i < 2; ++i)
        EXPECT_NEAR(flashes[i] / video.frameRate, marks.beeps[i], c.tolerance) << "flash " << i << " against its beep";
      const double pictures = static_cast<double>(video.pictures.size());
      EXPECT_NEAR(pictures, marks.end * video.frameRate, 1.0) << "pictures for " << marks.end << " s of sound";
    }
  }
}

constexpr double kWrapAhead = -1.75;  // the demuxer counts the time stamps before the wrap as negative

INSTANTIATE_TEST_SUITE_P(
    Timeline, PicturesMeetTheirSound,
    ::testing::Values(
        SyncCase{"PlainAviReference", testing::PlainAviWithPcm, ".avi", 0, 0, 0.030},
        SyncCase{"MatroskaWithLateVideo", testing::MatroskaWithLateVideo, ".mkv", 0.5, 0, 0.045},
        SyncCase{"MovieWithLateVideo", testing::MovieWithLateVideo, ".mov", 0.5, 0, 0.045, true},
        SyncCase{"ProgramStreamStartingLate", testing::ProgramStreamStartingLate, ".mpg", 0.54, 0.53, 0.045},
        SyncCase{"WebmWithOpus", testing::WebmWithOpus, ".webm", 0, -0.0065, 0.045},
        SyncCase{"MatroskaWithVariableRate", testing::MatroskaWithVariableRate, ".mkv", 0, 0, 0.045},
        SyncCase{"TransportStreamWithClockWrap", testing::TransportStreamWithClockWrap, ".ts", kWrapAhead,
                 kWrapAhead - 0.01, 0.045}),
    [](const ::testing::TestParamInfo<SyncCase>& info) { return std::string(info.param.name); });

// The MP3 start-up delay the other cases take off is LAME's fixed one: on a
// plain AVI, whose streams both start at 0, the first beep comes that much late.
TEST(Timeline, Mp3StartUpDelayIsMeasuredOnAPlainAvi) {
  TempDir dir;
  const std::string path = dir.File("clip.avi");
  testing::WriteTimelineClip(path, testing::PlainAviWithPcm());
  const PackageStreams package = EncodeDefaultLadder(dir, path);
  for (const PackageSound& sound : package.sounds) {
    SCOPED_TRACE(sound.name);
    const SoundMarks raw = MarksOf(sound, 0);
    ASSERT_EQ(raw.beeps.size(), 2u);
    const double delay = (raw.beeps[0] - testing::kFlashTimes[0]) * sound.rate;
    EXPECT_NEAR(delay, testing::kMp3DelaySamples, 0.002 * sound.rate);
  }
}

// A phone clip stored 320x180 and shown turned 90 degrees clockwise: the
// probe gives the size shown, every rung is portrait, and the picture is
// upright (the white block top left, the grey one top right, dark below).
TEST(Timeline, RotatedPhoneClipGivesUprightPortraitRungs) {
  TempDir dir;
  const std::string path = dir.File("phone.mp4");
  testing::WriteTimelineClip(path, testing::RotatedPhoneMp4());
  const std::optional<MediaFacts> facts = Probe(path);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->width, 180);
  EXPECT_EQ(facts->height, 320);
  for (const testing::PackagePictures& video : EncodeDefaultLadder(dir, path).videos) {
    SCOPED_TRACE(video.name);
    EXPECT_GT(video.header.height, video.header.width);
    EXPECT_EQ(video.width, video.header.width);
    EXPECT_EQ(video.height, video.header.height);
    ASSERT_FALSE(video.pictures.empty());
    const auto& picture = video.pictures[video.pictures.size() / 2];
    const auto region = [&](double l, double t, double r, double b) {
      return testing::RegionLuma(picture, video.width, video.height, l, t, r, b);
    };
    EXPECT_GT(region(0.05, 0.03, 0.28, 0.20), 180);  // white
    EXPECT_NEAR(region(0.72, 0.03, 0.95, 0.20), 140, 30);  // grey
    EXPECT_LT(region(0.05, 0.35, 0.95, 0.95), 70);  // dark
  }
}

// A PAL picture of 720x576 stored with pixels 64:45 is shown 16:9: the
// probe's width is the height times 16/9 rounded to an even number, and
// every rung has that shape (to within the rounding to multiples of 16).
TEST(Timeline, WidescreenPalClipGivesSixteenByNineRungs) {
  TempDir dir;
  const std::string path = dir.File("pal.mpg");
  testing::WriteTimelineClip(path, testing::WidescreenPalClip());
  const std::optional<MediaFacts> facts = Probe(path);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->height, 576);
  EXPECT_EQ(facts->width, 2 * static_cast<int>(std::lround(576.0 * 16 / 9 / 2)));
  for (const testing::PackagePictures& video : EncodeDefaultLadder(dir, path).videos) {
    SCOPED_TRACE(video.name);
    EXPECT_NEAR(video.header.height, video.header.width * 9.0 / 16, 12.0)
        << video.header.width << "x" << video.header.height;
    EXPECT_EQ(video.width, video.header.width);
    EXPECT_EQ(video.height, video.header.height);
  }
}

// Of two sound tracks, the second marked default: the probe describes it
// (44.1 kHz stereo, not 22.05 kHz mono) and every rung plays its 1 kHz beeps.
TEST(Timeline, TwoTrackFileEncodesItsDefaultTrack) {
  TempDir dir;
  const std::string path = dir.File("two.mkv");
  testing::WriteTimelineClip(path, testing::TwoSoundTracks());
  const std::optional<MediaFacts> facts = Probe(path);
  ASSERT_TRUE(facts && facts->audioFormat);
  EXPECT_EQ(facts->audioFormat->wave.samplesPerSec, 44100u);
  EXPECT_EQ(facts->audioFormat->wave.channels, 2u);
  for (const PackageSound& sound : EncodeDefaultLadder(dir, path).sounds) {
    SCOPED_TRACE(sound.name);
    const std::vector<testing::ToneBurst> bursts = testing::ToneBursts(sound);
    ASSERT_FALSE(bursts.empty());
    EXPECT_NEAR(testing::ToneHz(sound, bursts[0]), 1000.0, 30.0);
  }
}

// One picture and 2 s of sound (a still with narration): the picture stays
// on screen for the whole sound, 30 pictures at 15 fps.
TEST(Timeline, OnePictureFilmLastsAsLongAsItsSound) {
  TempDir dir;
  const std::string path = dir.File("still.mp4");
  testing::WriteTimelineClip(path, testing::OnePictureWithSound());
  for (const testing::PackagePictures& video : EncodeDefaultLadder(dir, path).videos) {
    SCOPED_TRACE(video.name);
    EXPECT_NEAR(video.frameRate, 15.0, 1e-6);
    EXPECT_EQ(video.pictures.size(), 30u);
  }
}

}  // namespace
}  // namespace zq48

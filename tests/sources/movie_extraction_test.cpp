// Movie-file extraction: stepping through video samples, converting the
// sound track, and whole jobs on movie files.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "audio/audio_test_support.h"
#include "container/stream_file_reader.h"
#include "container/metafile.h"
#include "encode/pipeline/movie_audio_worker.h"
#include "encode/pipeline/movie_video_worker.h"
#include "support/null_job_host.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"
#include "support/video_decode.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;
using testing::ClipSpec;
using testing::RecordingNotifier;
using testing::TempDir;

// A movie of evenly spaced samples whose pictures say which sample they are.
class FakeMovie : public MovieVideoSource {
 public:
  FakeMovie(double seconds, int samples) : duration_(static_cast<std::int64_t>(seconds * 1000)) {
    for (int i = 0; i < samples; ++i) times_.push_back(static_cast<std::int64_t>(i * seconds * 1000 / samples));
  }
  std::int64_t TimeScale() const override { return 1000; }
  std::int64_t Duration() const override { return duration_; }
  std::int64_t SampleCount() const override { return static_cast<std::int64_t>(times_.size()); }
  bool GoToFirstSampleAtOrAfter(std::int64_t time) override {
    auto it = std::lower_bound(times_.begin(), times_.end(), time);
    if (it == times_.end()) return false;
    current_ = it - times_.begin();
    return true;
  }
  bool GoToNextSample() override {
    if (current_ + 1 >= static_cast<std::ptrdiff_t>(times_.size())) return false;
    ++current_;
    return true;
  }
  std::int64_t CurrentTime() const override { return times_[current_]; }
  const std::uint8_t* Picture() override {
    picture_.assign(2 * 2 * 3, static_cast<std::uint8_t>(current_));
    return picture_.data();
  }
  int width() const override { return 2; }
  int height() const override { return 2; }

 private:
  std::int64_t duration_;
  std::vector<std::int64_t> times_;
  std::ptrdiff_t current_ = -1;
  std::vector<std::uint8_t> picture_;
};

class MovieExtraction : public ::testing::Test {
 protected:
  struct Handed {
    double time;
    int sample;
  };
  std::vector<Handed> Extract(FakeMovie& movie, double begin, double end, bool* ok = nullptr) {
    std::vector<Handed> handed;
    bool result = ExtractMovieVideo(movie, begin, end, state_, [&handed](double t, SharedBuffer p) {
      handed.push_back({t, (*p)[0]});
    });
    if (ok) *ok = result;
    return handed;
  }
  JobState state_;
};

TEST_F(MovieExtraction, PictureTimesAreTheSamplesDisplayTimes) {
  FakeMovie movie(10.5, 252);
  auto handed = Extract(movie, 0, 0);
  ASSERT_EQ(handed.size(), 252u);
  EXPECT_DOUBLE_EQ(handed[1].time, 0.041);  // 10.5 / 252 s, in whole milliseconds
  EXPECT_NEAR(handed[251].time, 251 * 10.5 / 252, 0.001);
  EXPECT_EQ(handed[251].sample, 251);
  EXPECT_DOUBLE_EQ(MovieTimelineEnd(movie, 0, 0), 10.5);

  FakeMovie shortMovie(0.8, 8);  // under one second too
  EXPECT_DOUBLE_EQ(Extract(shortMovie, 0, 0).back().time, 0.7);
}

TEST_F(MovieExtraction, BeginAndEndBoundTheSamples) {
  FakeMovie movie(20.0, 40);  // a sample every 0.5 s
  auto fromFive = Extract(movie, 5.0, 0);
  ASSERT_FALSE(fromFive.empty());
  EXPECT_EQ(fromFive[0].sample, 10);  // the sample at 5.0 s, at the start of the range
  EXPECT_EQ(fromFive[0].time, 0.0);
  EXPECT_DOUBLE_EQ(MovieTimelineEnd(movie, 5.0, 8.0), 3.0);
  EXPECT_DOUBLE_EQ(MovieTimelineEnd(movie, 5.0, 30.0), 15.0);
  // The end test looks at the picture just encoded: 8.0 and 8.5 are still encoded.
  FakeMovie again(20.0, 40);
  auto toEight = Extract(again, 0, 8.0);
  ASSERT_FALSE(toEight.empty());
  EXPECT_EQ(toEight.back().sample, 17);  // 8.5 s
  EXPECT_EQ(toEight.size(), 18u);

  bool ok = true;
  FakeMovie tooShort(2.0, 4);
  EXPECT_TRUE(Extract(tooShort, 5.0, 0, &ok).empty());
  EXPECT_FALSE(ok);
}

TEST_F(MovieExtraction, PauseHoldsAndStopEndsTheLoop) {
  state_.flags.With([](RunFlags& f) { f.paused = true; });
  FakeMovie movie(2.0, 4);
  std::atomic<bool> done{false};
  std::vector<Handed> handed;
  std::thread worker([&] {
    handed = Extract(movie, 0, 0);
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  EXPECT_FALSE(done);  // held in the pause wait
  // A stop while paused ends the extraction without another picture.
  state_.flags.With([](RunFlags& f) { f.stopped = true; });
  worker.join();
  EXPECT_TRUE(handed.empty());
}

// Real movie files through the sound conversion and the encoder.
class MovieSound : public ::testing::Test {
 protected:
  std::int64_t Convert(const std::string& path, double begin, double end, int* error) {
    testing::AudioJob& job = job_;
    job.OpenAudioFile(dir_.File("sound.audio.zq48"));
    const PcmFormat format{1, 8000, 16};
    AudioEncoder encoder;
    EXPECT_TRUE(encoder.Open(format, job.outputs, SoundSettings{1, 8000, 16, 1.0f}));
    std::unique_ptr<MovieSoundSource> sound = OpenMovieSound(
        path, format, static_cast<std::int64_t>(begin), static_cast<std::int64_t>(end), error);
    if (sound)
      *error = ConvertMovieSound(*sound, {{&encoder, &job.notifier}}, job.state,
                                 [&job](double seconds) { job.outputs.AudioReached(seconds); });
    encoder.Close();
    return static_cast<std::int64_t>(job.variant.streams.audioSamples);
  }
  TempDir dir_;
  testing::AudioJob job_;
  JobState& state_ = job_.state;
  RecordingNotifier& notifier_ = job_.notifier;
};

TEST_F(MovieSound, RangeIsCutToWholeSeconds) {
  std::string movie = dir_.File("tone.mov");
  testing::WriteMovie(movie, ClipSpec{.width = 64, .height = 48, .seconds = 8.0, .sampleRate = 8000}, "moov");
  int error = 1;
  // 2.7 .. 5.9 s is 2 .. 5 s.
  EXPECT_EQ(Convert(movie, 2.7, 5.9, &error), 3 * 8000);
  EXPECT_EQ(error, 0);
  // An end under one second means the end of the media.
  EXPECT_NEAR(static_cast<double>(Convert(movie, 0, 0.6, &error)), 8 * 8000, 100);
}

TEST_F(MovieSound, AMovieWithoutSoundFailsTheConversion) {
  std::string movie = dir_.File("silent.mov");
  testing::WriteMovie(movie, ClipSpec{.width = 64, .height = 48, .audio = false}, "mdat");
  int error = 0;
  Convert(movie, 0, 0, &error);
  EXPECT_NE(error, 0);
}

TEST_F(MovieSound, StopKeepsWhatWasEncoded) {
  std::string movie = dir_.File("tone.mov");
  testing::WriteMovie(movie, ClipSpec{.width = 64, .height = 48, .seconds = 4.0, .sampleRate = 8000}, "moov");
  state_.flags.With([](RunFlags& f) { f.stopped = true; });
  int error = 1;
  EXPECT_EQ(Convert(movie, 0, 0, &error), 0);
  EXPECT_EQ(error, 0);
  EXPECT_TRUE(notifier_.texts().empty());
}

int RunCli(const std::string& args) {
  int raw = std::system((std::string(ZQ48ENC_PATH) + " " + args + " 2>/dev/null").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(MovieJob, MovieFilesEncodeIntoConsistentPackages) {
  TempDir dir;
  std::string withSound = dir.File("talk.mov"), silent = dir.File("mute.mov");
  testing::WriteMovie(withSound, ClipSpec{.width = 160, .height = 120, .seconds = 3.0, .sampleRate = 22050}, "mdat");
  testing::WriteMovie(silent, ClipSpec{.width = 160, .height = 120, .seconds = 2.0, .audio = false}, "moov");
  std::string out = dir.File("out");
  ASSERT_EQ(RunCli("-o '" + out + "' '" + withSound + "' '" + silent + "'"), 0);
  for (const char* base : {"talk", "mute"}) {
    std::optional<Metafile> meta = ReadMetafile(out + "/" + base + ".meta.zq48", nullptr);
    ASSERT_TRUE(meta) << base;
    ASSERT_EQ(meta->videoRates.size(), 3u) << base;
    EXPECT_EQ(meta->audioRates.size(), std::string(base) == "talk" ? 3u : 0u);
    for (std::uint32_t rate : meta->videoRates) {
      std::string video = out + "/" + base + "_" + std::to_string(rate) + "bps.video.zq48";
      auto report = InspectStreamFile(video, StreamFileKind::Video, nullptr);
      ASSERT_TRUE(report) << video;
      EXPECT_TRUE(report->problems.empty()) << video;
      std::vector<std::uint8_t> bytes = testing::ReadFile(video);
      testing::DecodedVideo pictures = testing::DecodeMpeg4({bytes.begin() + 24, bytes.end()});
      EXPECT_EQ(pictures.errors, 0);
      EXPECT_GT(pictures.pictures.size(), 0u);
    }
    for (std::uint32_t rate : meta->audioRates) {
      std::string audio = out + "/" + base + "_" + std::to_string(rate) + "bps.audio.zq48";
      std::vector<std::uint8_t> bytes = testing::ReadFile(audio);
      testing::DecodedMp3 sound = testing::DecodeMp3({bytes.begin() + 12, bytes.end()});
      EXPECT_EQ(sound.errors, 0);
      EXPECT_EQ(sound.sampleRate, 8000);
    }
  }
  // Movie files get no minimal audio file.
  for (const auto& entry : fs::directory_iterator(out))
    EXPECT_EQ(entry.path().string().find(".min.audio."), std::string::npos);
}

}  // namespace
}  // namespace zq48

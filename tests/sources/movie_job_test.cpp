// Whole jobs on movie files through the engine, with hand-made variants:
// streams switched off, and the video worker's failures.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <mutex>

#include "sources/probe.h"
#include "encode/encode_controller.h"
#include "encode/filter_ladder.h"
#include "encode/job_messages.h"
#include "container/metafile.h"
#include "sources/ffmpeg_general_media.h"
#include "sources/ffmpeg_movie_media.h"
#include "encode/pipeline/worker_factory.h"
#include "audio/audio_test_support.h"
#include "support/movie_test_media.h"
#include "support/null_job_host.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;
using testing::MovieSpec;
using testing::RecordingNotifier;
using testing::TempDir;

// A front end that only waits for the job's end.
class WaitingHost : public testing::NullJobHost {
 public:
  void JobFinished(const JobSummary&) override {
    std::lock_guard lock(mutex_);
    finished_ = true;
    done_.notify_all();
  }
  bool Wait() {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, std::chrono::seconds(120), [this] { return finished_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
};

class MovieEngineJob : public ::testing::Test {
 protected:
  void Add(const std::string& path) {
    FfmpegGeneralMedia general;
    FfmpegMovieMedia movie;
    MediaProbe probe(catalog_, notifier_, MediaServices{&general, &movie});
    ASSERT_TRUE(probe.Probe(path));
    catalog_.AddInputPath(path);
    catalog_.MutableOptions(path).volume = 1.0f;
  }
  void Run(const std::string& out) {
    ASSERT_EQ(controller_.Encode(out), EncodeController::EncodeResult::Started);
    ASSERT_TRUE(host_.Wait());
    controller_.HandleJobFinished();
  }

  TempDir dir_;
  InputCatalog catalog_;
  RecordingNotifier notifier_;
  MemorySettingsStore store_;
  WaitingHost host_;
  DecodeWorkerFactory workers_;
  PackageOutputs outputs_;
  EncodeController controller_{catalog_, store_, notifier_, host_, workers_, outputs_, true};
};

TEST_F(MovieEngineJob, AStreamSwitchedOffIsNotEncodedAndLeavesNoWorkingFile) {
  std::string noSound = dir_.File("nosound.mov"), noPictures = dir_.File("nopictures.mov");
  testing::WriteMovieFile(noSound, MovieSpec{.seconds = 1.0});
  testing::WriteMovieFile(noPictures, MovieSpec{.seconds = 1.0});
  Add(noSound);
  Add(noPictures);
  MakeFilter(catalog_, noSound, 200, 15.0, /*audioOn=*/0, /*videoOn=*/1);
  MakeFilter(catalog_, noPictures, 200, 15.0, /*audioOn=*/1, /*videoOn=*/0);
  std::string out = dir_.File("out");
  Run(out);
  EXPECT_TRUE(notifier_.texts().empty()) << notifier_.texts().front();

  std::optional<Metafile> first = ReadMetafile(out + "/nosound.meta.zq48", nullptr);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->videoRates.size(), 1u);
  EXPECT_TRUE(first->audioRates.empty());
  std::optional<Metafile> second = ReadMetafile(out + "/nopictures.meta.zq48", nullptr);
  ASSERT_TRUE(second);
  EXPECT_TRUE(second->videoRates.empty());
  EXPECT_EQ(second->audioRates.size(), 1u);
  // Only finished streams are left: no audio of the first file, no video of
  // the second, and no working file ("name__dr…zq48") of either.
  for (const auto& entry : fs::directory_iterator(out)) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(name.find("__dr"), std::string::npos) << name;
    if (name.rfind("nosound_", 0) == 0) EXPECT_EQ(name.find(".audio."), std::string::npos) << name;
    if (name.rfind("nopictures_", 0) == 0) EXPECT_EQ(name.find(".video."), std::string::npos) << name;
  }
}

// Stands in for the job driver: records that the video worker has ended.
struct Driver {
  std::promise<void> done;
  MessageThread thread{{{WM_JOB_QT_VIDEO_DONE, [this] { done.set_value(); }}}};  // last: it ends before `done` goes
};

TEST(MovieVideoWorkerMessages, AnUncreatableFileIsShownInAPlainBoxWithTheDefaultCaption) {
  TempDir dir;
  VariantPlan plan;
  plan.sourcePath = dir.File("missing.mov");
  plan.basePath = dir.File("no such folder/clip__dr200.zq48");
  plan.filter.videoOn = 1;
  plan.hasVideo = true;
  testing::AudioJob job(plan);
  Driver driver;
  driver.thread.Start();
  DecodeWorkerFactory workers;
  std::unique_ptr<DecodeWorker> worker = workers.CreateMovieVideoWorker(job.context, driver.thread, {&job.variant});
  worker->Post(WM_QT_VIDEO_START);
  // The driver still learns that the video has ended.
  ASSERT_EQ(driver.done.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
  worker->Join();
  ASSERT_EQ(job.notifier.messages().size(), 1u);
  const Message shown = job.notifier.messages()[0];
  EXPECT_EQ(shown.text, "Can't create output file");
  EXPECT_EQ(shown.caption, "Error");
  EXPECT_EQ(shown.presentation, Presentation::PlainBox);
}

}  // namespace
}  // namespace zq48

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "core/settings_store.h"
#include "encode/encode_controller.h"
#include "catalog/output_names.h"
#include "encode/package/finish_variant.h"
#include "support/fake_workers.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"

// The encode job driver and the controller that starts, pauses, resumes and
// stops it, run with fake decode workers and recording outputs: nothing is
// decoded, but every thread, message and lock of a real job is there.

namespace zq48 {
namespace {

using namespace zq48::testing;
using Records = std::vector<WorkerRecord>;
using Lines = std::vector<std::string>;
using Messages = std::vector<MessageId>;
using Result = EncodeController::EncodeResult;
namespace fs = std::filesystem;

const std::string kA = "/in/a.avi";
const std::string kB = "/in/b.avi";
const std::string kC = "/in/c.avi";
const std::string kMovie = "/in/m.mov";

// What every job's end looks like in the log.
const Lines kJobEnd = {"JobFinished"};

OutputFilter Filter(int videoKbps, int width = 160, int height = 120, bool video = true,
                    bool audio = true) {
  OutputFilter f;
  f.videoBitRate = videoKbps;
  f.width = width;
  f.height = height;
  f.videoOn = video;
  f.audioOn = audio;
  return f;
}

MediaFacts Facts(int kind, bool video = true, bool audio = true, double videoSeconds = 10,
                 double audioSeconds = 10) {
  MediaFacts f;
  f.sourceKind = kind;
  f.hasVideo = video;
  f.hasAudio = audio;
  f.videoDuration = videoSeconds;
  f.audioDuration = audioSeconds;
  return f;
}

Lines Join(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The finishing step of a variant and the event that tells of it.
Lines Finished(const std::string& path, int videoKbps) {
  const std::string variant = path + " " + std::to_string(videoKbps);
  return {"FinishVariant " + variant, "VariantFinished " + variant};
}

bool Has(const Messages& messages, MessageId m) {
  return std::find(messages.begin(), messages.end(), m) != messages.end();
}

// Aborts the test program when a test runs far too long, so that a deadlock
// in the job shows up as a crash instead of a build that never ends.
class Watchdog {
 public:
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      over_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool over_ = false;
  std::thread thread_{[this] {
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, std::chrono::seconds(120), [this] { return over_; })) return;
    std::fputs("job driver test still running after 120 s: aborting\n", stderr);
    std::abort();
  }};
};

class JobFixture : public ::testing::Test {
 protected:
  JobFixture() {
    MakeController();
    // A variant may only be finished once every worker started for it has ended.
    outputs.onFinishVariant = [this] {
      for (const WorkerRecord& r : workers.Records())
        EXPECT_TRUE(r.ended) << "a variant was finished while a worker still ran";
    };
  }
  void TearDown() override {
    controller.reset();  // stops a job still running and waits for it
    for (const WorkerRecord& r : workers.Records()) EXPECT_FALSE(r.gaveUp);
  }

  void MakeController(bool movieFilesAvailable = true) {
    controller = std::make_unique<EncodeController>(catalog, store, notifier, host, workers,
                                                    outputs, movieFilesAvailable);
  }
  void AddFile(const std::string& path, const MediaFacts& facts,
               const std::vector<OutputFilter>& filters) {
    catalog.AddInputPath(path);
    catalog.MutableFacts(path) = facts;
    for (const OutputFilter& f : filters) catalog.AddFilter(path, f);
  }
  bool StartJob() {
    Result result = controller->Encode(dest.path());
    EXPECT_EQ(result, Result::Started);
    jobsStarted_ += result == Result::Started;
    return result == Result::Started;
  }
  // Waits for the job's end, then does what the front end does.
  void FinishJob() {
    if (host.WaitForJobsFinished(jobsStarted_)) return controller->HandleJobFinished();
    ADD_FAILURE() << "the job did not end";
    controller->StopAndWait();
  }
  void RunJobToEnd() {
    if (StartJob()) FinishJob();
  }
  void WaitForWorkers(const std::function<bool(const Records&)>& done) {
    EXPECT_TRUE(workers.WaitUntil(done)) << "the workers never got there";
  }
  // Waits until `count` workers exist and have all started.
  void WaitForStarted(std::size_t count) {
    WaitForWorkers([count](const Records& r) {
      return r.size() == count && std::all_of(r.begin(), r.end(), [](auto& w) { return w.started; });
    });
  }
  // A movie file with both tracks whose workers run until released.
  void StartHeldMovieJob(const std::vector<OutputFilter>& filters = {Filter(100)}) {
    workers.SetScript(WorkerKind::MovieVideo, {.finishAtOnce = false});
    workers.SetScript(WorkerKind::MovieAudio, {.finishAtOnce = false});
    AddFile(kMovie, Facts(kSourceMovie), filters);
    if (StartJob()) WaitForStarted(2);
  }
  int IndexOf(WorkerKind kind) {
    Records records = workers.Records();
    auto it = std::find_if(records.begin(), records.end(), [kind](auto& r) { return r.kind == kind; });
    return it == records.end() ? -1 : static_cast<int>(it - records.begin());
  }
  std::string BasePath(const std::string& source, const OutputFilter& filter) {
    return OutputBasePath(catalog.Settings().destinationFolder(), source, filter);
  }
  RunFlags Flags() { return controller->State().flags.Get(); }

  Watchdog watchdog;
  EventLog log;
  RecordingNotifier notifier;
  MemorySettingsStore store;
  InputCatalog catalog;
  TempDir dest;
  RecordingJobHost host{log};
  RecordingJobOutputs outputs{log};
  FakeWorkerFactory workers;
  std::unique_ptr<EncodeController> controller;

 private:
  int jobsStarted_ = 0;
};

// ---- The general decoding path ----

class JobDriverTest : public JobFixture {};

TEST_F(JobDriverTest, FinishesEveryVariantOfAFileThenWritesItsPageMetafileAndResourcesOnce) {
  const std::vector<OutputFilter> filters = {Filter(100), Filter(200, 320, 240),
                                             Filter(300, 240, 180)};
  AddFile(kA, Facts(kSourceGeneral), filters);
  RunJobToEnd();

  EXPECT_EQ(log.Entries(),
            Join(Join(Join(Join({"JobStarted", "FileStarted 0 /in/a.avi"}, Finished(kA, 100)), Finished(kA, 200)),
                      Finished(kA, 300)),
                 Join({"WebPage /in/a.avi 320x240", "Metafile /in/a.avi 100,200,300", "FileFinished 0 /in/a.avi",
                       "Resource archive", "Resource button"},
                      kJobEnd)));
  // One worker for the group of three, made with every variant and none of
  // their stream files named before; it wrote each one's files in list order.
  Records records = workers.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].received, Messages{WM_DS_START});
  EXPECT_TRUE(records[0].tempPathsClearAtStart);
  Lines created;
  for (const OutputFilter& f : filters) {
    created.push_back(VideoTempPath(BasePath(kA, f)));
    created.push_back(AudioTempPath(BasePath(kA, f)));
  }
  EXPECT_EQ(records[0].createdFiles, created);
  EXPECT_TRUE(notifier.texts().empty());

  // Each variant's result names what its finishing wrote: the rate it
  // recorded (the stand-in records the target rate) and the final name.
  std::vector<VariantResult> results = host.Variants();
  ASSERT_EQ(results.size(), 3u);
  const std::string folder = catalog.Settings().destinationFolder();
  for (std::size_t i = 0; i < 3; ++i) {
    const auto rate = static_cast<std::uint32_t>(filters[i].videoBitRate);
    EXPECT_TRUE(results[i].finished) << i;
    EXPECT_EQ(results[i].fileIndex, 0) << i;
    EXPECT_EQ(results[i].path, kA) << i;
    EXPECT_EQ(results[i].filter.videoBitRate, filters[i].videoBitRate) << i;
    EXPECT_EQ(results[i].videoRate, rate) << i;
    EXPECT_EQ(results[i].videoFile, FinalVideoName(folder, kA, rate)) << i;
    EXPECT_EQ(results[i].audioRate, 0u) << i;  // none recorded: no audio file
    EXPECT_EQ(results[i].audioFile, "") << i;
  }
}

TEST_F(JobDriverTest, TheSummaryCountsWholeAndFailedFilesAndVariants) {
  AddFile(kA, Facts(kSourceGeneral), {Filter(100), Filter(200)});
  AddFile(kB, Facts(kSourceGeneral), {Filter(300)});
  RunJobToEnd();
  JobSummary whole = host.LastSummary();
  EXPECT_EQ(whole.files, 2);
  EXPECT_EQ(whole.filesEncoded, 2);
  EXPECT_EQ(whole.filesFailed, 0);
  EXPECT_EQ(whole.variantsFinished, 3);
  EXPECT_EQ(whole.variantsFailed, 0);
  EXPECT_FALSE(whole.stopped);

  // Every variant fails with its message: both files failed, the job went on.
  outputs.variantResult = false;
  RunJobToEnd();
  JobSummary failed = host.LastSummary();
  EXPECT_EQ(failed.files, 2);
  EXPECT_EQ(failed.filesEncoded, 0);
  EXPECT_EQ(failed.filesFailed, 2);
  EXPECT_EQ(failed.variantsFinished, 0);
  EXPECT_EQ(failed.variantsFailed, 3);
  std::vector<VariantResult> results = host.Variants();
  ASSERT_EQ(results.size(), 6u);
  EXPECT_FALSE(results.back().finished);
  EXPECT_EQ(results.back().fileIndex, 1);
  EXPECT_EQ(results.back().videoFile, "");
  EXPECT_EQ(log.Count("VariantFinished /in/b.avi 300 failed"), 1);
}

// The player archive and the button strip belong to no file: when one of
// them fails, no file is whole, though each of them finished.
TEST_F(JobDriverTest, AFailureAfterTheLastFileCountsAsAFailedFile) {
  outputs.buttonResult = false;
  AddFile(kA, Facts(kSourceGeneral), {Filter(100)});
  AddFile(kB, Facts(kSourceGeneral), {Filter(200)});
  RunJobToEnd();
  JobSummary s = host.LastSummary();
  EXPECT_EQ(s.filesEncoded, 2);
  EXPECT_EQ(s.filesFailed, 1);
  EXPECT_EQ(s.variantsFinished, 2);
  EXPECT_EQ(notifier.texts(), Lines{"Error create button from resources"});
}

TEST_F(JobDriverTest, EncodesFilesInListOrderWithAPageSizedForEachFile) {
  AddFile(kA, Facts(kSourceGeneral), {Filter(100, 320, 240), Filter(200)});
  AddFile(kB, Facts(kSourceGeneral), {Filter(300)});
  RunJobToEnd();

  EXPECT_EQ(log.Entries(),
            Join(Join(Join(Join({"JobStarted", "FileStarted 0 /in/a.avi"}, Finished(kA, 100)), Finished(kA, 200)),
                      Join({"WebPage /in/a.avi 320x240", "Metafile /in/a.avi 100,200", "FileFinished 0 /in/a.avi",
                            "FileStarted 1 /in/b.avi"},
                           Finished(kB, 300))),
                 Join({"WebPage /in/b.avi 160x120", "Metafile /in/b.avi 300", "FileFinished 1 /in/b.avi",
                       "Resource archive", "Resource button"},
                      kJobEnd)));
}

TEST_F(JobDriverTest, FailedPagesMetafilesAndResourcesAreReportedAndTheJobGoesOn) {
  outputs.pageResult = outputs.metafileResult = false;
  outputs.archiveResult = outputs.buttonResult = false;
  AddFile(kA, Facts(kSourceGeneral), {Filter(100)});
  AddFile(kB, Facts(kSourceGeneral), {Filter(200)});
  RunJobToEnd();

  EXPECT_EQ(notifier.texts(),
            (Lines{"Error create HTML file", "Error create Meta file", "Error create HTML file",
                   "Error create Meta file", "Error create JAVA applet file",
                   "Error create button from resources"}));
  EXPECT_EQ(log.Count("FinishVariant"), 2);
  // What is reported before a file's metafile concerns that file.
  JobSummary s = host.LastSummary();
  EXPECT_EQ(s.filesEncoded, 0);
  EXPECT_EQ(s.filesFailed, 2);
  EXPECT_EQ(s.variantsFinished, 2);
}

TEST_F(JobDriverTest, AFileWithoutVariantsIsReportedAndTheJobGoesOn) {
  AddFile(kA, Facts(kSourceGeneral), {Filter(100)});
  AddFile(kB, Facts(kSourceGeneral), {});
  AddFile(kC, Facts(kSourceGeneral), {Filter(300)});
  RunJobToEnd();
  // b is begun, reported and finished without a page; c is encoded after it.
  EXPECT_EQ(log.Entries(),
            Join(Join(Join(Join({"JobStarted", "FileStarted 0 /in/a.avi"}, Finished(kA, 100)),
                           {"WebPage /in/a.avi 160x120", "Metafile /in/a.avi 100", "FileFinished 0 /in/a.avi",
                            "FileStarted 1 /in/b.avi", "FileFinished 1 /in/b.avi", "FileStarted 2 /in/c.avi"}),
                      Finished(kC, 300)),
                 Join({"WebPage /in/c.avi 160x120", "Metafile /in/c.avi 300", "FileFinished 2 /in/c.avi",
                       "Resource archive", "Resource button"},
                      kJobEnd)));
  EXPECT_EQ(notifier.texts(), Lines{"/in/b.avi has no output variants: it is not encoded."});
  EXPECT_EQ(workers.Records().size(), 2u);
  JobSummary s = host.LastSummary();
  EXPECT_EQ(s.files, 3);
  EXPECT_EQ(s.filesEncoded, 2);
  EXPECT_EQ(s.filesFailed, 1);

  // The same at the start and at the end of the list; with nothing encoded
  // at all there is no page for the player archive and button strip to serve.
  catalog.RemoveAllFilters(kA);
  catalog.RemoveAllFilters(kC);
  log.Clear();
  RunJobToEnd();
  EXPECT_EQ(log.Entries(), Join({"JobStarted", "FileStarted 0 /in/a.avi", "FileFinished 0 /in/a.avi",
                                 "FileStarted 1 /in/b.avi", "FileFinished 1 /in/b.avi", "FileStarted 2 /in/c.avi",
                                 "FileFinished 2 /in/c.avi"},
                                kJobEnd));
  EXPECT_EQ(notifier.texts().size(), 4u);
  EXPECT_EQ(workers.Records().size(), 2u);
  EXPECT_EQ(host.LastSummary().filesFailed, 3);
}

TEST_F(JobDriverTest, AFailingWorkerStillEndsItsVariant) {
  workers.SetScriptFor(0, {.fail = true});
  AddFile(kA, Facts(kSourceGeneral), {Filter(100), Filter(200)});
  RunJobToEnd();
  EXPECT_EQ(log.Count("FinishVariant"), 2);
  EXPECT_EQ(log.Count("Resource"), 2);
}

TEST_F(JobDriverTest, PauseAndResumeAreForwardedToTheWorker) {
  workers.SetScript(WorkerKind::General, {.finishAtOnce = false});
  AddFile(kA, Facts(kSourceGeneral), {Filter(100)});
  ASSERT_TRUE(StartJob());
  WaitForStarted(1);

  controller->Pause();
  EXPECT_TRUE(Flags().paused);
  WaitForWorkers([](const Records& r) { return Has(r[0].received, WM_DS_PAUSE); });
  EXPECT_EQ(controller->Encode(dest.path()), Result::Resumed);
  EXPECT_FALSE(Flags().paused);
  EXPECT_TRUE(Flags().running);
  WaitForWorkers([](const Records& r) { return Has(r[0].received, WM_DS_RESUME); });
  workers.Release(0);
  FinishJob();

  EXPECT_EQ(workers.Records()[0].received, (Messages{WM_DS_START, WM_DS_PAUSE, WM_DS_RESUME}));
  EXPECT_EQ(log.Count("FinishVariant"), 1);
}

TEST_F(JobDriverTest, StopDeletesTheCurrentVariantsStreamsAndKeepsFinishedOnes) {
  outputs.renameFinished = true;
  controller->SetSequential(true);  // a worker per variant
  workers.SetScriptFor(1, {.finishAtOnce = false});
  AddFile(kA, Facts(kSourceGeneral), {Filter(100), Filter(200)});
  AddFile(kB, Facts(kSourceGeneral), {Filter(300)});
  ASSERT_TRUE(StartJob());
  WaitForWorkers([](const Records& r) { return r.size() == 2 && r[1].started; });
  controller->Stop();
  FinishJob();

  const std::string first = BasePath(kA, Filter(100));
  const std::string second = BasePath(kA, Filter(200));
  EXPECT_TRUE(fs::exists(FinalPath(VideoTempPath(first))));
  EXPECT_TRUE(fs::exists(FinalPath(AudioTempPath(first))));
  EXPECT_FALSE(fs::exists(VideoTempPath(second)));
  EXPECT_FALSE(fs::exists(AudioTempPath(second)));

  Records records = workers.Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1].received, (Messages{WM_DS_START, WM_DS_STOP}));
  EXPECT_EQ(log.Count("FinishVariant"), 1);
  EXPECT_EQ(log.Count("WebPage") + log.Count("Metafile") + log.Count("Resource"), 0);
  // The unfinished files count neither way.
  JobSummary s = host.LastSummary();
  EXPECT_TRUE(s.stopped);
  EXPECT_EQ(s.files, 2);
  EXPECT_EQ(s.filesEncoded + s.filesFailed, 0);
  EXPECT_EQ(s.variantsFinished, 1);
  EXPECT_EQ(log.Count("JobStopped"), 1);
}

TEST_F(JobDriverTest, FinishedVariantsMoveTheirProgressIntoTheDoneAmounts) {
  workers.SetScript(WorkerKind::General, {.videoSeconds = 3, .audioSeconds = 2});
  AddFile(kA, Facts(kSourceGeneral), {Filter(100), Filter(200)});
  AddFile(kB, Facts(kSourceGeneral), {Filter(300)});
  RunJobToEnd();

  // "<step>: <file done>/<job done> +<in progress>" as each finishing step saw them.
  EXPECT_EQ(outputs.AmountsSeen(),
            // Both variants of a.avi ran in one group: both count until each is finished.
            (Lines{"FinishVariant /in/a.avi 100: 0/0 +10", "FinishVariant /in/a.avi 200: 5/5 +5",
                   "WebPage /in/a.avi 160x120: 10/10 +0", "Metafile /in/a.avi 100,200: 10/10 +0",
                   "FinishVariant /in/b.avi 300: 0/10 +5", "WebPage /in/b.avi 160x120: 5/15 +0",
                   "Metafile /in/b.avi 300: 5/15 +0", "Resource archive: 0/15 +0",
                   "Resource button: 0/15 +0"}));
  DoneAmounts done = controller->State().done.Get();
  EXPECT_EQ(done.file + done.job, 0.0);  // the ended job's amounts are reset
}

TEST_F(JobDriverTest, GraphEventsWithoutAGeneralWorkerAreReported) {
  controller->OnGraphEvent();  // no job at all
  EXPECT_EQ(notifier.texts(), Lines{"bad p_main_thread_encoder"});

  workers.SetScript(WorkerKind::MovieVideo, {.finishAtOnce = false});
  AddFile(kMovie, Facts(kSourceMovie, true, false), {Filter(100)});
  ASSERT_TRUE(StartJob());
  WaitForStarted(1);
  controller->OnGraphEvent();  // a job whose variant has no general worker
  EXPECT_EQ(notifier.texts(), (Lines{"bad p_main_thread_encoder", "bad p_main_thread_encoder"}));
  workers.Release(0);
  FinishJob();
  EXPECT_EQ(log.Count("FinishVariant"), 1);  // the stray event moved nothing on
}

// ---- The movie-file path ----

class JobDriverMovieTest : public JobFixture {
 protected:
  // Releases the worker of `first`, and the other one only after the first
  // has reported done and ended.
  void RunBothTracks(WorkerKind first) {
    StartHeldMovieJob();
    const int one = IndexOf(first);
    workers.Release(one);
    WaitForWorkers([one](const Records& r) { return r[one].ended; });
    // Time for a driver that wrongly moved on after one done message to do
    // so (onFinishVariant would then see the other worker still running).
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(log.Count("FinishVariant"), 0);
    workers.Release(1 - one);
    FinishJob();
    EXPECT_EQ(log.Count("FinishVariant"), 1);
    EXPECT_EQ(log.Count("Resource"), 2);
  }
};

TEST_F(JobDriverMovieTest, VideoOnlyFileStartsOnlyTheVideoWorkerWhoseDoneMovesOn) {
  AddFile(kMovie, Facts(kSourceMovie, true, false), {Filter(100)});
  RunJobToEnd();

  Records records = workers.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].kind, WorkerKind::MovieVideo);
  EXPECT_EQ(records[0].received, Messages{WM_QT_VIDEO_START});
  EXPECT_EQ(log.Entries(), Join(Join(Join({"JobStarted", "FileStarted 0 /in/m.mov"}, Finished(kMovie, 100)),
                                     {"WebPage /in/m.mov 160x120", "Metafile /in/m.mov 100",
                                      "FileFinished 0 /in/m.mov", "Resource archive", "Resource button"}),
                                kJobEnd));
}

TEST_F(JobDriverMovieTest, BothTracksMoveOnOnlyAfterBothDoneMessagesVideoFirst) {
  RunBothTracks(WorkerKind::MovieVideo);
}

TEST_F(JobDriverMovieTest, BothTracksMoveOnOnlyAfterBothDoneMessagesAudioFirst) {
  RunBothTracks(WorkerKind::MovieAudio);
}

TEST_F(JobDriverMovieTest, AFileWithoutTracksMovesOnAtOnce) {
  AddFile(kMovie, Facts(kSourceMovie, false, false), {Filter(100), Filter(200)});
  RunJobToEnd();
  EXPECT_TRUE(workers.Records().empty());
  EXPECT_EQ(log.Count("FinishVariant"), 2);
  EXPECT_EQ(log.Count("Resource"), 2);
}

TEST_F(JobDriverMovieTest, AFailingWorkerStillReportsDone) {
  workers.SetScript(WorkerKind::MovieAudio, {.fail = true});
  AddFile(kMovie, Facts(kSourceMovie), {Filter(100)});
  RunJobToEnd();
  EXPECT_EQ(workers.Records().size(), 2u);
  EXPECT_EQ(log.Count("FinishVariant"), 1);
}

TEST_F(JobDriverMovieTest, WithoutMovieFileSupportTheJobEndsBeforeAnyWorker) {
  MakeController(/*movieFilesAvailable=*/false);
  AddFile(kMovie, Facts(kSourceMovie), {Filter(100)});
  AddFile(kA, Facts(kSourceGeneral), {Filter(200)});
  RunJobToEnd();
  EXPECT_TRUE(workers.Records().empty());
  EXPECT_EQ(log.Entries(), Join({"JobStarted"}, kJobEnd));
}

TEST_F(JobDriverMovieTest, PauseHoldsTheWorkersUntilEncodeResumes) {
  StartHeldMovieJob();
  controller->Pause();
  WaitForWorkers([](const Records& r) { return r[0].pauseWaits >= 1 && r[1].pauseWaits >= 1; });
  // Released while paused, they go on waiting for a few more rounds.
  workers.Release(0);
  workers.Release(1);
  WaitForWorkers([](const Records& r) { return r[0].pauseWaits >= 3 && r[1].pauseWaits >= 3; });
  for (const WorkerRecord& r : workers.Records()) EXPECT_FALSE(r.reportedDone);

  EXPECT_EQ(controller->Encode(dest.path()), Result::Resumed);
  FinishJob();
  for (const WorkerRecord& r : workers.Records()) {
    EXPECT_EQ(r.received.size(), 1u);  // pause and resume reached them through the flag only
    EXPECT_FALSE(r.sawStop);
  }
  EXPECT_EQ(log.Count("FinishVariant"), 1);
}

TEST_F(JobDriverMovieTest, StopWhilePausedEndsTheWorkersAndDeletesTheirStreams) {
  StartHeldMovieJob();
  controller->Pause();
  WaitForWorkers([](const Records& r) { return r[0].pauseWaits >= 1 && r[1].pauseWaits >= 1; });
  controller->Stop();
  FinishJob();

  for (const WorkerRecord& r : workers.Records()) {
    EXPECT_TRUE(r.sawStop);
    ASSERT_EQ(r.createdFiles.size(), 1u);
    EXPECT_FALSE(fs::exists(r.createdFiles[0])) << r.createdFiles[0];
  }
  EXPECT_EQ(log.Count("FinishVariant"), 0);
}

TEST_F(JobDriverMovieTest, AStopQueuedBehindBothDoneMessagesFinishesNothing) {
  // The video worker reports done but keeps its thread until released, so
  // the driver waits for it while the audio done message and the stop queue
  // up: the Next that both done messages produce comes after the stop.
  workers.SetScript(WorkerKind::MovieVideo, {.lingerAfterDone = true});
  workers.SetScript(WorkerKind::MovieAudio, {.finishAtOnce = false});
  AddFile(kMovie, Facts(kSourceMovie), {Filter(100), Filter(200)});
  ASSERT_TRUE(StartJob());
  WaitForStarted(2);
  const int video = IndexOf(WorkerKind::MovieVideo);
  const int audio = IndexOf(WorkerKind::MovieAudio);
  workers.Release(audio);
  WaitForWorkers([=](const Records& r) { return r[video].reportedDone && r[audio].ended; });
  controller->Stop();
  workers.Release(video);
  FinishJob();

  EXPECT_EQ(log.Count("FinishVariant"), 0);
  EXPECT_EQ(workers.Records().size(), 2u);  // the second variant never started
}

// ---- The controller ----

class EncodeControllerTest : public JobFixture {};

TEST_F(EncodeControllerTest, RefusesAnEmptyListABadRangeAndAFileAsFolder) {
  EXPECT_EQ(controller->Encode(dest.path()), Result::Refused);
  EXPECT_TRUE(notifier.texts().empty());

  AddFile(kA, Facts(kSourceGeneral), {Filter(100)});
  catalog.Settings().rangeBegin = 10;
  EXPECT_EQ(controller->Encode(dest.path()), Result::Refused);
  EXPECT_EQ(notifier.texts(), Lines{"Range begin must be more 48 and less 900."});
  catalog.Settings().rangeBegin = kDefaultRangeBegin;

  const std::string file = dest.File("plain");
  std::ofstream(file) << "x";
  EXPECT_EQ(controller->Encode(file), Result::Refused);
  EXPECT_EQ(notifier.texts().back(), file + "\nThis is a file not a directory.");

  EXPECT_FALSE(controller->HasJob());
  EXPECT_TRUE(workers.Records().empty());
  EXPECT_TRUE(log.Entries().empty());
}

TEST_F(EncodeControllerTest, SwapsAnInvertedRangeAndSaysSo) {
  catalog.Settings().rangeBegin = 900;
  catalog.Settings().rangeEnd = 48;
  AddFile(kA, Facts(kSourceGeneral), {Filter(100)});
  RunJobToEnd();
  Lines entries = log.Entries();
  ASSERT_GE(entries.size(), 1u);
  EXPECT_EQ(entries[0], "RangeSwapped 48 900");
  EXPECT_EQ(catalog.Settings().rangeBegin, 48u);
  EXPECT_EQ(catalog.Settings().rangeEnd, 900u);
  EXPECT_EQ(log.Count("FinishVariant"), 1);
}

TEST_F(EncodeControllerTest, PlansAmountsFromSwitchesAndTracksAndWorksOnASnapshot) {
  // a: 10 s of video, 8 s of audio; b has no audio, whatever its length says.
  AddFile(kA, Facts(kSourceGeneral, true, true, 10, 8),
          {Filter(100), Filter(200, 160, 120, true, false), Filter(300, 160, 120, false, true),
           Filter(400, 160, 120, false, false)});
  AddFile(kB, Facts(kSourceGeneral, true, false, 5, 7), {Filter(500)});
  ASSERT_TRUE(StartJob());
  catalog.AddFilter(kA, Filter(600));  // too late for the job
  JobSnapshot snapshot = controller->State().snapshot.Get();
  FinishJob();

  EXPECT_EQ(snapshot.FileTotal(kA), 10 + 8 + 10 + 8.0);
  EXPECT_EQ(snapshot.FileTotal(kB), 5.0);
  EXPECT_EQ(snapshot.jobTotal, 41.0);
  EXPECT_EQ(log.Count("FinishVariant"), 5);
}

TEST_F(EncodeControllerTest, PausesResumesStopsAndResetsWhenTheJobHasEnded) {
  workers.SetScriptFor(0, {.finishAtOnce = false});
  AddFile(kA, Facts(kSourceGeneral), {Filter(100)});
  ASSERT_TRUE(StartJob());
  EXPECT_TRUE(controller->HasJob());
  EXPECT_TRUE(Flags().running);
  WaitForStarted(1);

  controller->Pause();
  EXPECT_TRUE(Flags().paused);
  EXPECT_EQ(controller->Encode(dest.path()), Result::Resumed);
  EXPECT_FALSE(Flags().paused);
  controller->Stop();
  EXPECT_TRUE(Flags().stopped);
  EXPECT_EQ(controller->Encode(dest.path()), Result::Refused);  // a stopped job is not resumed
  FinishJob();

  EXPECT_FALSE(controller->HasJob());
  RunFlags flags = Flags();
  EXPECT_TRUE(!flags.running && !flags.paused && flags.stopped);
  Lines entries = log.Entries();
  EXPECT_EQ(Lines(entries.end() - 2, entries.end()), Join({"JobStopped"}, kJobEnd));

  // The next Encode starts a new job, which runs to its end.
  RunJobToEnd();
  EXPECT_EQ(log.Count("FinishVariant"), 1);
  EXPECT_EQ(log.Count("Resource"), 2);
}

TEST_F(EncodeControllerTest, DestroyingItStopsARunningJobAndWaitsForIt) {
  workers.SetScript(WorkerKind::General, {.finishAtOnce = false});
  AddFile(kA, Facts(kSourceGeneral), {Filter(100)});
  ASSERT_TRUE(StartJob());
  WaitForStarted(1);

  controller.reset();
  Records records = workers.Records();
  EXPECT_TRUE(records[0].ended);
  EXPECT_EQ(records[0].received, (Messages{WM_DS_START, WM_DS_STOP}));
  for (const std::string& file : records[0].createdFiles) EXPECT_FALSE(fs::exists(file)) << file;
  EXPECT_EQ(log.Count("JobFinished"), 1);
}

}  // namespace
}  // namespace zq48

#include "support/fake_workers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>
#include <tuple>

#include "encode/job_context.h"
#include "encode/job_messages.h"
#include "encode/variant_job.h"

namespace zq48::testing {

namespace {

using std::chrono::milliseconds;

// Tells a fake general worker that the test released it.
constexpr MessageId kReleaseMessage = WM_USER + 0x200;

// Creates a variant's stream file with its placeholder header and a little
// payload, and names it, as the stages do.
std::string CreateStreamFile(VariantJob& variant, bool video) {
  const std::string path = video ? VideoTempPath(variant.plan.basePath) : AudioTempPath(variant.plan.basePath);
  std::optional<StreamFile> file = StreamFile::Create(path);
  EXPECT_TRUE(file) << "cannot create " << path;
  if (!file) return path;
  const char payload[32] = "not really encoded";
  EXPECT_TRUE(file->WritePlaceholder(video ? HeaderKind::Video : HeaderKind::Audio));
  EXPECT_TRUE(file->Write(payload, sizeof payload));
  (video ? variant.streams.video : variant.streams.audio) = std::move(*file);
  (video ? variant.streams.videoPath : variant.streams.audioPath) = path;
  return path;
}

// What both kinds of fake worker share: their script and their record.
struct WorkerLink {
  FakeWorkerFactory& factory;
  const int index;
  const WorkerScript script;
  void Note(const std::function<void(WorkerRecord&)>& change) { factory.Update(index, change); }
  void Received(MessageId m) { Note([m](WorkerRecord& r) { r.received.push_back(m); }); }
};

// The general path's worker: it answers messages at once, as a worker whose
// decode runs on threads of its own does, and reports the end of stream
// through the job's graph-event sink when its script lets it.
class FakeGeneralWorker final : public GeneralWorker {
 public:
  FakeGeneralWorker(WorkerLink link, JobContext& context, std::vector<VariantJob*> variants)
      : link_(link),
        context_(context),
        variants_(std::move(variants)),
        thread_({{WM_DS_START,
                  [this] {
                    link_.Received(WM_DS_START);
                    OnStart();
                  }},
                 {WM_DS_STOP,
                  [this] {
                    link_.Received(WM_DS_STOP);
                    thread_.PostQuit();  // a stopped worker ends its thread; the driver waits for that
                  }},
                 {WM_DS_PAUSE, [this] { link_.Received(WM_DS_PAUSE); }},
                 {WM_DS_RESUME, [this] { link_.Received(WM_DS_RESUME); }},
                 {kReleaseMessage, [this] { TryFinish(); }}},
                [this] { link_.Note([](WorkerRecord& r) { r.ended = true; }); }) {
    thread_.Start();
  }
  ~FakeGeneralWorker() override { link_.factory.ForgetGeneral(link_.index); }

 private:
  MessageThread& Thread() override { return thread_; }

  void OnStart() {
    started_ = true;
    bool clear = true;
    for (VariantJob* v : variants_) clear = clear && v->streams.videoPath.empty() && v->streams.audioPath.empty();
    std::vector<std::string> files;
    const int failing = link_.script.failingVariant;
    if (failing >= 0 && static_cast<std::size_t>(failing) < variants_.size())
      variants_[static_cast<std::size_t>(failing)]->notifier().ShowApp("Could not open Video CallBackGrab on the graph");
    if (!link_.script.fail) {
      for (VariantJob* v : variants_) {
        files.push_back(CreateStreamFile(*v, true));
        files.push_back(CreateStreamFile(*v, false));
        v->progress.With([this](VariantProgress& p) { p = {link_.script.videoSeconds, link_.script.audioSeconds}; });
      }
    }
    link_.Note([&](WorkerRecord& r) {
      r.started = true;
      r.tempPathsClearAtStart = clear;
      r.createdFiles = files;
    });
    TryFinish();
  }

  void TryFinish() {
    const WorkerScript& s = link_.script;
    if (!started_ || finished_) return;
    if (!s.finishAtOnce && !s.fail && !link_.factory.WaitForRelease(link_.index, milliseconds(0)))
      return;
    finished_ = true;
    QueueGraphEvent(kGraphEventComplete + 1);  // some other event comes first
    QueueGraphEvent(kGraphEventComplete);
    context_.graphEvents.OnGraphEvent();
  }

  WorkerLink link_;
  JobContext& context_;
  std::vector<VariantJob*> variants_;
  bool started_ = false;  // its start message has come
  bool finished_ = false;
  MessageThread thread_;  // last
};

// A movie-file worker: it creates its stream file and then runs its whole
// "decode" in the start message's handler, as the real ones do, reading
// the job's flags before every buffer. It always reports done.
class FakeMovieWorker final : public DecodeWorker {
 public:
  FakeMovieWorker(WorkerLink link, bool video, JobState& state, MessageThread& driver,
                  std::vector<VariantJob*> variants)
      : link_(link), video_(video), state_(state), driver_(driver), variants_(std::move(variants)),
        thread_(Handlers(), [this] {
          link_.Note([](WorkerRecord& r) { r.ended = true; });
        }) {
    thread_.Start();
  }

 private:
  MessageThread& Thread() override { return thread_; }

  MessageThread::MessageMap Handlers() {
    const MessageId start = video_ ? WM_QT_VIDEO_START : WM_QT_AUDIO_START;
    MessageThread::MessageMap handlers{{start, [this, start] {
                                          link_.Received(start);
                                          Run();
                                        }}};
    // Nothing else should ever reach a movie-file worker: note it if it does.
    for (MessageId other : {video_ ? WM_QT_AUDIO_START : WM_QT_VIDEO_START, WM_DS_START, WM_DS_STOP,
                            WM_DS_PAUSE, WM_DS_RESUME})
      handlers[other] = [this, other] { link_.Received(other); };
    return handlers;
  }

  void Run() {
    const WorkerScript& s = link_.script;
    std::vector<std::string> files;
    if (!s.fail) {
      for (VariantJob* v : variants_) {
        files.push_back(CreateStreamFile(*v, video_));
        v->progress.With([&](VariantProgress& p) { (video_ ? p.video : p.audio) = video_ ? s.videoSeconds : s.audioSeconds; });
      }
    }
    link_.Note([&](WorkerRecord& r) {
      r.started = true;
      r.createdFiles = files;
    });
    if (!s.fail) Decode();
    driver_.Post(video_ ? WM_JOB_QT_VIDEO_DONE : WM_JOB_QT_AUDIO_DONE);
    link_.Note([](WorkerRecord& r) { r.reportedDone = true; });
    // Lingering keeps the driver in its wait for this thread's end.
    const int releases = s.finishAtOnce || s.fail ? 1 : 2;
    if (s.lingerAfterDone &&
        !link_.factory.WaitForRelease(link_.index, milliseconds(kJobWaitBound), releases))
      link_.Note([](WorkerRecord& r) { r.gaveUp = true; });
    thread_.PostQuit();
  }

  // Per buffer, as the real workers do: end when stopped; wait in steps of
  // 100 ms while paused (without looking at the stopped flag); end when
  // stopped meanwhile; then "decode" the buffer.
  void Decode() {
    const auto deadline = std::chrono::steady_clock::now() + kJobWaitBound;
    auto gaveUp = [&] {
      if (std::chrono::steady_clock::now() < deadline) return false;
      link_.Note([](WorkerRecord& r) { r.gaveUp = true; });
      return true;
    };
    auto stopped = [&] {
      if (!state_.Stopped()) return false;
      link_.Note([](WorkerRecord& r) { r.sawStop = true; });
      return true;
    };
    for (;;) {
      if (stopped()) return;
      while (state_.Paused()) {
        link_.Note([](WorkerRecord& r) { ++r.pauseWaits; });
        std::this_thread::sleep_for(milliseconds(100));
        if (gaveUp()) return;
      }
      if (stopped() || link_.script.finishAtOnce) return;
      if (link_.factory.WaitForRelease(link_.index, milliseconds(100)) || gaveUp()) return;
    }
  }

  WorkerLink link_;
  const bool video_;
  JobState& state_;
  MessageThread& driver_;
  std::vector<VariantJob*> variants_;
  MessageThread thread_;  // last
};

}  // namespace

void EventLog::Add(std::string entry) {
  std::lock_guard lock(mutex_);
  entries_.push_back(std::move(entry));
}

std::vector<std::string> EventLog::Entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

int EventLog::Count(const std::string& prefix) const {
  std::lock_guard lock(mutex_);
  int n = 0;
  for (const std::string& e : entries_) n += e.rfind(prefix, 0) == 0 ? 1 : 0;
  return n;
}

void EventLog::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
}

void RecordingJobHost::VariantFinished(const VariantResult& result) {
  log_.Add("VariantFinished " + result.path + " " + std::to_string(result.filter.videoBitRate) +
           (result.finished ? "" : " failed"));
  std::lock_guard lock(mutex_);
  variants_.push_back(result);
}

void RecordingJobHost::JobFinished(const JobSummary& summary) {
  log_.Add("JobFinished");
  std::lock_guard lock(mutex_);
  summary_ = summary;
  ++finishedCount_;
  finished_.notify_all();
}

std::vector<VariantResult> RecordingJobHost::Variants() const {
  std::lock_guard lock(mutex_);
  return variants_;
}

JobSummary RecordingJobHost::LastSummary() const {
  std::lock_guard lock(mutex_);
  return summary_;
}

bool RecordingJobHost::WaitForJobsFinished(int count) {
  std::unique_lock lock(mutex_);
  return finished_.wait_for(lock, kJobWaitBound, [&] { return finishedCount_ >= count; });
}

std::vector<std::string> RecordingJobOutputs::AmountsSeen() const {
  std::lock_guard lock(mutex_);
  return amounts_;
}

void RecordingJobOutputs::Log(JobContext& context, const std::string& entry) {
  DoneAmounts done = context.state.done.Get();
  double inProgress = 0;
  for (const auto& v : context.state.running.Get().variants) inProgress += v->InProgress();
  char amounts[64];
  std::snprintf(amounts, sizeof amounts, ": %g/%g +%g", done.file, done.job, inProgress);
  {
    std::lock_guard lock(mutex_);
    amounts_.push_back(entry + amounts);
  }
  log_.Add(entry);
}

bool RecordingJobOutputs::FinishVariant(JobContext& context, VariantJob& variant, DriverRecord& record) {
  if (onFinishVariant) onFinishVariant();
  const OutputFilter& filter = variant.plan.filter;
  Log(context, "FinishVariant " + variant.plan.sourcePath + " " + std::to_string(filter.videoBitRate));
  variant.streams.video.Close();
  variant.streams.audio.Close();
  variant.streams.minimalAudio.Close();
  if (!variantResult) {
    variant.notifier().ShowApp("Could not rename VIDEO file");
    return false;
  }
  for (const std::string& temp : {variant.streams.videoPath, variant.streams.audioPath}) {
    if (renameFinished && !temp.empty()) {
      EXPECT_EQ(std::rename(temp.c_str(), FinalPath(temp).c_str()), 0) << temp;
    }
  }
  record.videoBitRates.push_back(static_cast<std::uint32_t>(filter.videoBitRate));
  return true;
}

bool RecordingJobOutputs::WriteWebPage(JobContext& context, const DriverRecord& record,
                                       const std::string& sourcePath) {
  Log(context, "WebPage " + sourcePath + " " + std::to_string(record.largestWidth) + "x" +
                   std::to_string(record.largestHeight));
  return pageResult;
}

bool RecordingJobOutputs::WriteMetafile(JobContext& context, DriverRecord& record,
                                        const std::string& sourcePath) {
  std::string rates;
  for (std::uint32_t rate : record.videoBitRates) rates += (rates.empty() ? "" : ",") + std::to_string(rate);
  Log(context, "Metafile " + sourcePath + " " + rates);
  record.videoBitRates.clear();
  record.audioBitRates.clear();
  return metafileResult;
}

bool RecordingJobOutputs::WriteResourceFile(JobContext& context, PackageResource resource) {
  bool archive = resource == PackageResource::PlayerArchive;
  Log(context, archive ? "Resource archive" : "Resource button");
  return archive ? archiveResult : buttonResult;
}

void FakeWorkerFactory::SetScript(WorkerKind kind, const WorkerScript& script) {
  std::lock_guard lock(mutex_);
  kindScripts_[kind] = script;
}

void FakeWorkerFactory::SetScriptFor(int index, const WorkerScript& script) {
  std::lock_guard lock(mutex_);
  indexScripts_[index] = script;
}

WorkerScript FakeWorkerFactory::Register(WorkerKind kind, int& index) {
  std::lock_guard lock(mutex_);
  index = static_cast<int>(records_.size());
  records_.push_back({});
  records_.back().kind = kind;
  released_.push_back(0);
  changed_.notify_all();
  auto byIndex = indexScripts_.find(index);
  return byIndex != indexScripts_.end() ? byIndex->second : kindScripts_[kind];
}

std::unique_ptr<GeneralWorker> FakeWorkerFactory::CreateGeneralWorker(JobContext& job,
                                                                      std::vector<VariantJob*> variants) {
  int index = 0;
  WorkerScript script = Register(WorkerKind::General, index);
  auto worker = std::make_unique<FakeGeneralWorker>(WorkerLink{*this, index, script}, job, std::move(variants));
  std::lock_guard lock(mutex_);
  liveGeneral_[index] = worker.get();
  return worker;
}

std::unique_ptr<DecodeWorker> FakeWorkerFactory::CreateMovieVideoWorker(JobContext& job, MessageThread& driver,
                                                                         std::vector<VariantJob*> variants) {
  int index = 0;
  WorkerScript script = Register(WorkerKind::MovieVideo, index);
  return std::make_unique<FakeMovieWorker>(WorkerLink{*this, index, script}, true, job.state, driver,
                                           std::move(variants));
}

std::unique_ptr<DecodeWorker> FakeWorkerFactory::CreateMovieAudioWorker(JobContext& job, MessageThread& driver,
                                                                         std::vector<VariantJob*> variants) {
  int index = 0;
  WorkerScript script = Register(WorkerKind::MovieAudio, index);
  return std::make_unique<FakeMovieWorker>(WorkerLink{*this, index, script}, false, job.state, driver,
                                           std::move(variants));
}

void FakeWorkerFactory::ForgetGeneral(int index) {
  std::lock_guard lock(mutex_);
  liveGeneral_.erase(index);
}

void FakeWorkerFactory::Release(int index) {
  std::lock_guard lock(mutex_);
  ASSERT_LT(index, static_cast<int>(released_.size())) << "no worker " << index;
  ++released_[index];
  changed_.notify_all();
  // A general worker cannot be destroyed while the lock is held.
  auto live = liveGeneral_.find(index);
  if (live != liveGeneral_.end()) live->second->Post(kReleaseMessage);
}

bool FakeWorkerFactory::WaitForRelease(int index, milliseconds wait, int times) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, wait, [&] { return released_[index] >= times; });
}

void FakeWorkerFactory::Update(int index, const std::function<void(WorkerRecord&)>& change) {
  std::lock_guard lock(mutex_);
  change(records_[index]);
  changed_.notify_all();
}

bool FakeWorkerFactory::WaitUntil(
    const std::function<bool(const std::vector<WorkerRecord>&)>& done) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, kJobWaitBound, [&] { return done(records_); });
}

std::vector<WorkerRecord> FakeWorkerFactory::Records() const {
  std::lock_guard lock(mutex_);
  return records_;
}

}  // namespace zq48::testing

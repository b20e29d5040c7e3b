#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "encode/pipeline/decode_workers.h"
#include "encode/job_events.h"
#include "encode/package/job_outputs.h"

// Doubles for what surrounds the encode job driver: the front end, the
// finishing steps and the decode workers. Nothing is decoded or encoded; the
// workers create placeholder stream files, publish progress and end when
// the test lets them.

namespace zq48::testing {

// How long a double waits for anything: a job that should have moved on but
// did not fails its test after this instead of hanging it.
inline constexpr std::chrono::seconds kJobWaitBound{20};

// The fake workers' temporary stream files, and the final names that
// RecordingJobOutputs renames them to when asked.
inline std::string VideoTempPath(const std::string& base) { return base + ".video.tmp"; }
inline std::string AudioTempPath(const std::string& base) { return base + ".audio.tmp"; }
inline std::string FinalPath(const std::string& temp) { return temp.substr(0, temp.size() - 4); }

// One line per event the job told its front end and per call it made to its
// outputs, in call order, e.g. "FileStarted 1 /in/b.avi" or "WebPage /in/a.avi 320x240".
class EventLog {
 public:
  void Add(std::string entry);
  std::vector<std::string> Entries() const;
  int Count(const std::string& prefix) const;  // entries starting with it
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> entries_;
};

// Logs every event: "JobStarted", "FileStarted <index> <path>",
// "VariantFinished <path> <video kbps>" (with " failed" when it failed),
// "FileFinished <index> <path>", "JobStopped", "JobFinished" and
// "RangeSwapped <begin> <end>". It keeps the variants' results and the summaries.
class RecordingJobHost : public JobEvents {
 public:
  explicit RecordingJobHost(EventLog& log) : log_(log) {}
  void JobStarted() override { log_.Add("JobStarted"); }
  void FileStarted(int index, const std::string& path) override {
    log_.Add("FileStarted " + std::to_string(index) + " " + path);
  }
  void VariantFinished(const VariantResult& result) override;
  void FileFinished(int index, const std::string& path) override {
    log_.Add("FileFinished " + std::to_string(index) + " " + path);
  }
  void JobStopped() override { log_.Add("JobStopped"); }
  void JobFinished(const JobSummary& summary) override;
  void RangeSwapped(std::uint32_t begin, std::uint32_t end) override {
    log_.Add("RangeSwapped " + std::to_string(begin) + " " + std::to_string(end));
  }
  // Waits until JobFinished has come `count` times in all; false after kJobWaitBound.
  bool WaitForJobsFinished(int count);
  std::vector<VariantResult> Variants() const;
  // The summary of the job that ended last.
  JobSummary LastSummary() const;

 private:
  EventLog& log_;
  mutable std::mutex mutex_;
  std::condition_variable finished_;
  int finishedCount_ = 0;
  std::vector<VariantResult> variants_;
  JobSummary summary_;
};

// Logs every finishing step. FinishVariant closes the stream files as the
// stand-in does (and renames them to their final names when asked); every
// step's result can be set. Configure it before the job starts.
class RecordingJobOutputs : public JobOutputs {
 public:
  explicit RecordingJobOutputs(EventLog& log) : log_(log) {}

  bool variantResult = true;  // false: every variant fails, with a message as the real step gives
  bool pageResult = true;
  bool metafileResult = true;
  bool archiveResult = true;
  bool buttonResult = true;
  bool renameFinished = false;
  std::function<void()> onFinishVariant;  // runs first in every FinishVariant

  // Per step, its log line and the amounts of the job state at that moment:
  // "<line>: <file done>/<job done> +<in progress>".
  std::vector<std::string> AmountsSeen() const;

  bool FinishVariant(JobContext& context, VariantJob& variant, DriverRecord& record) override;
  bool WriteWebPage(JobContext& context, const DriverRecord& record,
                    const std::string& sourcePath) override;
  bool WriteMetafile(JobContext& context, DriverRecord& record,
                     const std::string& sourcePath) override;
  bool WriteResourceFile(JobContext& context, PackageResource resource) override;

 private:
  void Log(JobContext& context, const std::string& entry);

  EventLog& log_;
  mutable std::mutex mutex_;
  std::vector<std::string> amounts_;
};

enum class WorkerKind { General, MovieVideo, MovieAudio };

struct WorkerScript {
  bool finishAtOnce = true;      // false: it runs until released (or the job is stopped)
  bool fail = false;             // its start fails: no files, yet it ends the variant as it must
  bool lingerAfterDone = false;  // movie-file worker: after its done message, its thread
                                 // ends only at its next release
  double videoSeconds = 0;       // published as the in-progress amounts
  double audioSeconds = 0;
  int failingVariant = -1;       // general worker: the variant (of its group, by position) whose
                                 // stage reports a failure at the start
};

// What one fake worker saw and did; kept after the worker is gone.
struct WorkerRecord {
  WorkerKind kind = WorkerKind::General;
  std::vector<MessageId> received;  // the messages it handled, in order
  bool started = false;             // its start message has created its files
  bool tempPathsClearAtStart = false;  // lock B named no stream file when it started
  std::vector<std::string> createdFiles;  // of every variant it was made for, in list order
  int pauseWaits = 0;         // movie-file worker: 100 ms waits while the job was paused
  bool sawStop = false;       // movie-file worker: it ended because the job was stopped
  bool reportedDone = false;  // movie-file worker: it has posted its done message
  bool gaveUp = false;        // it waited kJobWaitBound for a release that never came
  bool ended = false;         // its message loop has ended
};

// Creates the fake workers. Each gets an index (from 0, in creation order,
// all kinds counted) and follows the script set for that index, else the
// one set for its kind.
class FakeWorkerFactory : public WorkerFactory {
 public:
  void SetScript(WorkerKind kind, const WorkerScript& script);
  void SetScriptFor(int index, const WorkerScript& script);

  std::unique_ptr<GeneralWorker> CreateGeneralWorker(JobContext& job, std::vector<VariantJob*> variants) override;
  std::unique_ptr<DecodeWorker> CreateMovieVideoWorker(JobContext& job, MessageThread& driver,
                                                       std::vector<VariantJob*> variants) override;
  std::unique_ptr<DecodeWorker> CreateMovieAudioWorker(JobContext& job, MessageThread& driver,
                                                       std::vector<VariantJob*> variants) override;

  // Lets a held worker finish; a second time, lets a lingering one end.
  void Release(int index);
  // Waits until `done` holds for the records; false after kJobWaitBound.
  bool WaitUntil(const std::function<bool(const std::vector<WorkerRecord>&)>& done);
  std::vector<WorkerRecord> Records() const;

  // For the workers.
  void Update(int index, const std::function<void(WorkerRecord&)>& change);
  // Waits up to `wait` until `index` has been released `times` times.
  bool WaitForRelease(int index, std::chrono::milliseconds wait, int times = 1);
  void ForgetGeneral(int index);  // a general worker is being destroyed

 private:
  WorkerScript Register(WorkerKind kind, int& index);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<WorkerKind, WorkerScript> kindScripts_;
  std::map<int, WorkerScript> indexScripts_;
  std::vector<WorkerRecord> records_;
  std::vector<int> released_;  // times each worker was released
  std::map<int, DecodeWorker*> liveGeneral_;  // told of their release by message
};

}  // namespace zq48::testing

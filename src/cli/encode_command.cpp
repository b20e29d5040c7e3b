#include "cli/encode_command.h"

#include <signal.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "core/settings_store.h"
#include "cli/explicit_variants.h"
#include "cli/file_catalog.h"
#include "cli/json_report.h"
#include "cli/plain_report.h"
#include "cli/reporting_outputs.h"
#include "encode/encode_controller.h"
#include "encode/job_progress.h"
#include "catalog/output_names.h"
#include "encode/package/package_check.h"
#include "encode/package/package_lock.h"
#include "encode/settings_checks.h"
#include "sources/ffmpeg_movie_media.h"
#include "encode/pipeline/worker_factory.h"

namespace zq48::cli {

namespace {

using Clock = std::chrono::steady_clock;

volatile sig_atomic_t gInterrupted = 0;

extern "C" void OnInterrupt(int) { gInterrupted = 1; }

// Ctrl-C asks the job to stop instead of killing the program, for as long
// as the object lives.
class InterruptGuard {
 public:
  InterruptGuard() {
    gInterrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
  }
  ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }

 private:
  struct sigaction previous_ {};
};

// Hands the messages before the job to the report; the destination
// question is answered with yes.
class ReportNotifier : public Notifier {
 public:
  explicit ReportNotifier(EncodeReport& report) : report_(report) {}
  void Show(const Message& message) override {
    ++shown_;
    report_.Message(message);
  }
  bool Ask(const std::string& text, const std::string& caption) override {
    report_.Question(text, caption);
    return true;
  }
  int shown() const { return shown_; }

 private:
  EncodeReport& report_;
  int shown_ = 0;
};

// The command line's side of a job: it learns the current file and the end.
class CliHost : public JobHost {
 public:
  void ResetFileBar() override {}
  void ResetJobBar() override {}
  void CurrentFile(int index) override { currentFile_ = index; }
  void JobFinished() override {
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
  }
  void SetTitle(const std::string&) override {}
  void StopPreview() override {}
  void RangeSwapped(std::uint32_t, std::uint32_t) override {}

  // True once the job has ended; waits at most `wait`.
  bool WaitFinished(std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, wait, [this] { return finished_; });
  }
  int currentFile() const { return currentFile_; }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool finished_ = false;
  std::atomic<int> currentFile_{0};
};

// The files of one run and what became of them before the job.
struct Batch {
  InputCatalog catalog;
  std::vector<std::unique_ptr<PackageLock>> locks;  // held until the process is done with them
  JobSummary summary;
};

// Locks each listed file's base name in the destination and, with
// --skip-complete, leaves out the files whose package is complete. A file
// another process is writing is refused.
void ClaimPackages(const CliOptions& options, const std::string& folder, Batch& batch, EncodeReport& report) {
  const std::vector<std::string> paths = batch.catalog.InputPaths();
  for (const std::string& path : paths) {
    PackageLock::Attempt attempt = PackageLock::TryAcquire(folder, path);
    if (attempt.outcome != PackageLock::Outcome::Held) {
      report.FileRefused(path, attempt.outcome == PackageLock::Outcome::Busy
                                   ? "another zq48enc is writing its package " + OutputBaseName(path) +
                                         " into " + folder + " (it holds " + PackageLockName(folder, path) + ")"
                                   : "cannot lock its package: " + attempt.error);
      ++batch.summary.refused;
      batch.catalog.Forget(path);
      continue;
    }
    batch.locks.push_back(std::move(attempt.lock));
    if (!options.skipComplete) continue;
    if (std::optional<std::string> problem = PackageProblem(folder, path)) {
      report.FileIncomplete(path, *problem);
      continue;
    }
    report.FileSkipped(path);
    ++batch.summary.skipped;
    batch.catalog.Forget(path);
  }
}

// Probes, checks and lists the files; nothing (with the exit status) when the run cannot go on.
std::optional<int> PrepareBatch(const CliOptions& options, Batch& batch, EncodeReport& report) {
  ReportNotifier notifier(report);
  batch.summary.files = static_cast<int>(options.files.size());
  if (!ApplyLadderSettings(options, batch.catalog.Settings(), notifier)) return 2;
  AddFiles(options, batch.catalog, notifier, [&](const std::string& path) {
    ++batch.summary.refused;
    report.FileRefused(path, {});
  });
  if (batch.catalog.InputPathCount() == 0) return 1;
  if (!CheckFileOptions(options, batch.catalog, notifier)) return 2;
  ExplicitVariantsResult variants = AddExplicitVariants(options, batch.catalog, notifier);
  if (variants.invalidInput) return 2;
  for (const RefusedVariant& r : variants.refused) report.VariantRefused(r.path, r.text);
  batch.summary.variantsRefused = static_cast<int>(variants.refused.size());

  // The folder must exist before its locks can be taken: the same check as at Encode.
  EncodeSettings settings = batch.catalog.Settings();
  MemorySettingsStore store;
  std::optional<std::string> folder = CheckDestinationFolder(options.destination, settings, store, notifier);
  if (!folder) return 1;
  ClaimPackages(options, *folder, batch, report);
  return std::nullopt;
}

int ExitStatus(const JobSummary& s) {
  if (s.stopped) return 130;
  return s.refused == 0 && s.failed == 0 && s.variantsRefused == 0 ? 0 : 1;
}

// Runs the job over the batch's files and fills in the summary.
void RunJob(const CliOptions& options, Batch& batch, EncodeReport& report) {
  const int listed = static_cast<int>(batch.catalog.InputPathCount());
  PackageOutputs package;
  ReportingOutputs outputs(package, batch.catalog, report);
  JobMessages messages(report, outputs);
  MemorySettingsStore store;
  DecodeWorkerFactory workers;
  CliHost host;
  EncodeController controller(batch.catalog, store, messages, host, workers, outputs,
                              FfmpegMovieMedia::Available());
  controller.SetSequential(options.sequential);
  InterruptGuard interrupts;
  if (controller.Encode(options.destination) == EncodeController::EncodeResult::Refused) {
    batch.summary.failed += listed;
    return;
  }
  const auto start = Clock::now();
  // Progress at once (a reader learns the job runs) and then every 500 ms.
  for (bool finished = false; !finished; finished = host.WaitFinished(std::chrono::milliseconds(500))) {
    if (gInterrupted && !batch.summary.stopped) {
      batch.summary.stopped = true;
      controller.Stop();
    }
    if (batch.summary.stopped) continue;
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count();
    report.Progress(ReadJobProgress(controller.State()), host.currentFile(), batch.catalog.InputPathCount(),
                    elapsed);
  }
  controller.HandleJobFinished();

  batch.summary.variantsFinished = outputs.variantsFinished();
  batch.summary.variantsFailed = outputs.variantsFailed();
  for (int i = 0; i < listed; ++i) {
    if (i >= outputs.fileIndex()) continue;  // never finished: stopped
    // A failed variant always reports why, so a file without messages is whole.
    if (messages.FileHadMessage(i))
      ++batch.summary.failed;
    else
      ++batch.summary.encoded;
  }
  // Messages after the last file (the player archive, the button strip) concern every file.
  if (messages.FileHadMessage(listed) && batch.summary.failed == 0) batch.summary.failed = 1;
}

}  // namespace

int RunEncode(const CliOptions& options) {
  std::unique_ptr<EncodeReport> report;
  if (options.progressJson)
    report = std::make_unique<JsonReport>();
  else
    report = std::make_unique<PlainReport>();

  Batch batch;
  std::optional<int> early = PrepareBatch(options, batch, *report);
  if (!early && batch.catalog.InputPathCount() > 0) RunJob(options, batch, *report);
  if (early && *early == 1 && batch.catalog.InputPathCount() == 0 && !options.progressJson)
    std::fprintf(stderr, "zq48enc: nothing to encode\n");
  batch.summary.exitStatus = early ? *early : ExitStatus(batch.summary);
  report->Ended(batch.summary);
  batch.locks.clear();
  return batch.summary.exitStatus;
}

}  // namespace zq48::cli

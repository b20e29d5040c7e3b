#include "cli/encode_command.h"

#include <signal.h>

#include <chrono>
#include <memory>

#include "core/settings_store.h"
#include "cli/explicit_variants.h"
#include "cli/file_catalog.h"
#include "cli/json_report.h"
#include "cli/plain_report.h"
#include "cli/job_batch.h"
#include "cli/job_reporting.h"
#include "encode/engine.h"
#include "catalog/output_names.h"
#include "encode/package/package_check.h"
#include "encode/package/package_lock.h"
#include "encode/settings_checks.h"

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

// The files of one run and what became of them before the job.
struct Batch {
  InputCatalog catalog;
  std::vector<std::unique_ptr<PackageLock>> locks;  // held until the process is done with them
  RunSummary summary;
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

// Probes, checks and lists the files of the command line; nothing (with the
// exit status) when the run cannot go on.
std::optional<int> ListCommandLine(const CliOptions& options, Engine& engine, Batch& batch, EncodeReport& report,
                                   Notifier& notifier, const RefusedFile& refused) {
  batch.summary.files = static_cast<int>(options.files.size());
  if (!ApplyLadderSettings(options, batch.catalog.Settings(), notifier)) return 2;
  AddFiles(options, engine, notifier, refused);
  if (batch.catalog.InputPathCount() == 0) return 1;
  if (!CheckFileOptions(options, batch.catalog, notifier)) return 2;
  ExplicitVariantsResult variants = AddExplicitVariants(options, batch.catalog, notifier);
  if (variants.invalidInput) return 2;
  for (const RefusedVariant& r : variants.refused) report.VariantRefused(r.path, r.text);
  batch.summary.variantsRefused = static_cast<int>(variants.refused.size());
  return std::nullopt;
}

// The same for the files of a job file (--job).
std::optional<int> ListJob(const CliOptions& options, Engine& engine, Batch& batch, Notifier& notifier,
                           const RefusedFile& refused) {
  if (std::optional<int> status = ListJobFile(options, engine, notifier, refused)) return status;
  batch.summary.files = batch.summary.refused + static_cast<int>(batch.catalog.InputPathCount());
  if (DestinationOf(options, batch.catalog).empty()) {
    std::fprintf(stderr, "zq48enc: %s names no destination folder: give -o DEST\n", options.jobFile.c_str());
    return 2;
  }
  if (batch.catalog.InputPathCount() == 0) return 1;
  return std::nullopt;
}

// Lists the files, then checks the destination and claims the packages;
// nothing (with the exit status) when the run cannot go on.
std::optional<int> PrepareBatch(const CliOptions& options, Engine& engine, Batch& batch, EncodeReport& report) {
  ReportNotifier notifier(report);
  const RefusedFile refused = [&](const std::string& path) {
    ++batch.summary.refused;
    report.FileRefused(path, {});
  };
  std::optional<int> listed = options.jobFile.empty()
                                  ? ListCommandLine(options, engine, batch, report, notifier, refused)
                                  : ListJob(options, engine, batch, notifier, refused);
  if (listed) return listed;

  // The folder must exist before its locks can be taken: the same check as at Encode.
  EncodeSettings settings = batch.catalog.Settings();
  MemorySettingsStore store;
  std::optional<std::string> folder =
      CheckDestinationFolder(DestinationOf(options, batch.catalog), settings, store, notifier);
  if (!folder) return 1;
  ClaimPackages(options, *folder, batch, report);
  return std::nullopt;
}

// Runs the job over the batch's files; its summary goes into the batch's.
void RunJob(const CliOptions& options, Engine& engine, ReportingEvents& events, Batch& batch,
            EncodeReport& report) {
  const int listed = static_cast<int>(batch.catalog.InputPathCount());
  engine.SetSequential(options.sequential);
  InterruptGuard interrupts;
  if (engine.Start(DestinationOf(options, batch.catalog)) == EncodeController::EncodeResult::Refused) {
    batch.summary.job.filesFailed += listed;
    return;
  }
  const auto start = Clock::now();
  bool stopping = false;
  // Progress at once (a reader learns the job runs) and then every 500 ms.
  for (bool finished = false; !finished; finished = events.WaitFinished(std::chrono::milliseconds(500))) {
    if (gInterrupted && !stopping) {
      stopping = true;
      engine.Stop();
    }
    if (stopping) continue;
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count();
    report.Progress(engine.Progress(), events.currentFile(), batch.catalog.InputPathCount(), elapsed);
  }
  engine.HandleJobFinished();
  batch.summary.job = events.Summary();
}

}  // namespace

int RunEncode(const CliOptions& options) {
  std::unique_ptr<EncodeReport> report;
  if (options.progressJson)
    report = std::make_unique<JsonReport>();
  else
    report = std::make_unique<PlainReport>();

  Batch batch;
  ReportingEvents events(batch.catalog, *report);
  JobMessages messages(*report, events);
  MemorySettingsStore store;
  Engine engine(batch.catalog, store, messages, events);
  std::optional<int> early = PrepareBatch(options, engine, batch, *report);
  if (!early && batch.catalog.InputPathCount() > 0) RunJob(options, engine, events, batch, *report);
  if (early && *early == 1 && batch.catalog.InputPathCount() == 0 && !options.progressJson)
    std::fprintf(stderr, "zq48enc: nothing to encode\n");
  batch.summary.exitStatus = early ? *early : ExitStatus(batch.summary);
  report->Ended(batch.summary);
  batch.locks.clear();
  return batch.summary.exitStatus;
}

}  // namespace zq48::cli

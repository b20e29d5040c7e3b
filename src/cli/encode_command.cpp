#include "cli/encode_command.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "app/settings_store.h"
#include "cli/file_catalog.h"
#include "encode/encode_controller.h"
#include "encode/job_progress.h"
#include "encode/output_names.h"
#include "sources/ffmpeg_movie_media.h"
#include "sources/worker_factory.h"

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

// Counts what the job reports, so the exit status can tell whether every
// variant finished.
class CountingNotifier : public Notifier {
 public:
  explicit CountingNotifier(Notifier& inner) : inner_(inner) {}
  void Show(const Message& message) override {
    ++shown_;
    inner_.Show(message);
  }
  bool Ask(const std::string& text, const std::string& caption) override {
    return inner_.Ask(text, caption);
  }
  int shown() const { return shown_; }

 private:
  Notifier& inner_;
  std::atomic<int> shown_{0};
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

// The progress line: the current file, how far it and the job are, and
// elapsed and projected total times as the desktop progress view shows them.
class ProgressLine {
 public:
  explicit ProgressLine(std::size_t files) : files_(files), tty_(isatty(STDERR_FILENO)) {}

  void Show(JobState& state, int fileIndex) {
    const auto now = Clock::now();
    JobProgress p = ReadJobProgress(state);
    auto jobSeconds = std::chrono::duration_cast<std::chrono::seconds>(now - jobStart_).count();
    char line[512];
    std::snprintf(line, sizeof line,
                  "file %d/%zu %s | file %3d%% | job %3d%% | Time elapsed: %s   Time estimated: %s",
                  fileIndex + 1, files_, BaseName(p.sourcePath, true).c_str(),
                  BarPercent(p.filePosition, p.fileUpper), BarPercent(p.jobPosition, p.jobUpper),
                  ClockText(jobSeconds).c_str(),
                  ClockText(EstimatedTotalSeconds(p.jobUpper, p.jobPosition, jobSeconds)).c_str());
    // On a terminal the line is rewritten in place; in a log a line is
    // added when the file changes and every few seconds.
    if (tty_) {
      std::fprintf(stderr, "\r%s\033[K", line);
    } else if (fileIndex != shownFile_ || now - lastLogged_ >= std::chrono::seconds(5)) {
      std::fprintf(stderr, "%s\n", line);
      lastLogged_ = now;
    }
    shownFile_ = fileIndex;
  }

  void End() {
    if (tty_ && shownFile_ >= 0) std::fputc('\n', stderr);
  }

 private:
  std::size_t files_;
  bool tty_;
  int shownFile_ = -1;
  Clock::time_point jobStart_ = Clock::now();
  Clock::time_point lastLogged_ = jobStart_;
};

}  // namespace

int RunEncode(const CliOptions& options, Notifier& outer) {
  CountingNotifier notifier(outer);
  InputCatalog catalog;
  if (!ApplyLadderSettings(options, catalog.Settings(), notifier)) return 2;
  bool allAccepted = AddFiles(options, catalog, notifier);
  if (catalog.InputPathCount() == 0) {
    std::fprintf(stderr, "zq48enc: nothing to encode\n");
    return 1;
  }
  if (!CheckFileOptions(options, catalog, notifier)) return 2;
  const int refusals = notifier.shown();

  MemorySettingsStore store;
  DecodeWorkerFactory workers;
  PackageOutputs outputs;
  CliHost host;
  EncodeController controller(catalog, store, notifier, host, workers, outputs,
                              FfmpegMovieMedia::Available());
  controller.SetSequential(options.sequential);
  InterruptGuard interrupts;
  if (controller.Encode(options.destination) == EncodeController::EncodeResult::Refused) return 1;

  ProgressLine progress(catalog.InputPathCount());
  bool stopped = false;
  while (!host.WaitFinished(std::chrono::milliseconds(500))) {
    if (gInterrupted && !stopped) {
      stopped = true;
      controller.Stop();
    }
    if (!stopped) progress.Show(controller.State(), host.currentFile());
  }
  controller.HandleJobFinished();
  progress.End();
  if (stopped) return 130;
  return allAccepted && notifier.shown() == refusals ? 0 : 1;
}

}  // namespace zq48::cli

#include "encode/encode_controller.h"

#include "encode/settings_checks.h"

namespace zq48 {

EncodeController::EncodeController(InputCatalog& catalog, SettingsStore& store,
                                   Notifier& notifier, JobEvents& events, WorkerFactory& workers,
                                   JobOutputs& outputs, bool movieFilesAvailable)
    : catalog_(catalog),
      store_(store),
      tally_(notifier),
      notifier_(tally_),
      events_(events),
      workers_(workers),
      outputs_(outputs),
      context_{state_, tally_, events, *this, movieFilesAvailable} {}

EncodeController::~EncodeController() { StopAndWait(); }

EncodeController::EncodeResult EncodeController::Encode(const std::string& destinationText) {
  if (!CheckDestinationFolder(destinationText, catalog_.Settings(), store_, notifier_))
    return EncodeResult::Refused;

  if (driver_) return Resume() ? EncodeResult::Resumed : EncodeResult::Refused;

  if (catalog_.InputPathCount() == 0) return EncodeResult::Refused;
  RangeCheck range = CheckRange(catalog_.Settings(), notifier_);
  if (!range.ok) return EncodeResult::Refused;
  if (range.swapped) events_.RangeSwapped(catalog_.Settings().rangeBegin, catalog_.Settings().rangeEnd);

  state_.done.With([](DoneAmounts& d) { d = {}; });
  JobSnapshot snapshot = PlanSnapshot(catalog_);
  state_.snapshot.Replace(std::move(snapshot));
  tally_.Begin(static_cast<int>(catalog_.InputPathCount()));

  {
    // In place before its thread runs, so that the first graph event finds it.
    std::lock_guard lock(graphEventLock_);
    driver_ = std::make_unique<MainEncodeThread>(context_, workers_, outputs_, tally_);
  }
  MarkRunning();
  driver_->Start();
  driver_->Post(WM_JOB_START);
  return EncodeResult::Started;
}

bool EncodeController::Resume() {
  // Stop was pressed, or the job has ended and waits to be cleaned up:
  // nothing to resume.
  if (!driver_ || state_.Stopped() || driver_->Ended()) return false;
  driver_->Post(WM_JOB_RESUME);
  MarkRunning();
  return true;
}

void EncodeController::MarkRunning() {
  state_.flags.With([](RunFlags& f) { f = {true, false, false}; });
}

void EncodeController::Pause() {
  // A stopped job only waits for its end: pausing it again could hold its
  // workers in their pause wait for good.
  if (!driver_ || state_.Stopped()) return;
  driver_->Post(WM_JOB_PAUSE);
  state_.flags.With([](RunFlags& f) { f.paused = true; });
}

void EncodeController::Stop() {
  // Told before the driver can see the stop, so that it comes before the job's end.
  events_.JobStopped();
  if (driver_) driver_->Post(WM_JOB_STOP);
  // Paused movie-file workers wait while the paused flag is set: clearing it
  // lets them see the stop.
  state_.flags.With([](RunFlags& f) {
    f.stopped = true;
    f.paused = false;
  });
  ResetProgress();
}

void EncodeController::ResetProgress() {
  state_.done.With([](DoneAmounts& d) { d = {}; });
}

void EncodeController::StopAndWait() {
  if (!driver_) return;
  Stop();
  HandleJobFinished();
}

void EncodeController::HandleJobFinished() {
  if (!driver_) return;
  driver_->Join();
  std::unique_ptr<MainEncodeThread> ended;
  {
    std::lock_guard lock(graphEventLock_);
    ended = std::move(driver_);
  }
  ended.reset();  // its workers end and are awaited outside the lock
  state_.flags.With([](RunFlags& f) { f = {false, false, true}; });
  ResetProgress();
}

void EncodeController::OnGraphEvent() {
  std::lock_guard lock(graphEventLock_);
  bool handled = driver_ && driver_->WithGeneralWorker([this](GeneralWorker* worker) {
    if (!worker || !worker->HasEventInterface()) return false;
    while (std::optional<long> code = worker->FetchGraphEvent()) {
      if (*code == kGraphEventComplete) {
        worker->PostQuit();
        driver_->Post(WM_JOB_NEXT);
        break;
      }
    }
    return true;
  });
  if (!handled) notifier_.ShowApp("bad p_main_thread_encoder");
}

}  // namespace zq48

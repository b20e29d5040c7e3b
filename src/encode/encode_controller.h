#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "core/notifier.h"
#include "core/settings_store.h"
#include "catalog/input_catalog.h"
#include "encode/pipeline/decode_workers.h"
#include "encode/job_context.h"
#include "encode/job_events.h"
#include "encode/package/job_outputs.h"
#include "encode/job_state.h"
#include "encode/job_driver.h"
#include "encode/job_tally.h"

namespace zq48 {

// The job half of the main window, shared by both front ends: it checks the
// settings, takes the job's snapshot, plans the amounts, starts, pauses,
// resumes and stops the job driver, and cleans up when the job has ended.
// Encode, Pause, Stop and HandleJobFinished are called on the front end's
// own thread; OnGraphEvent may come from any thread.
class EncodeController : public GraphEventSink {
 public:
  EncodeController(InputCatalog& catalog, SettingsStore& store, Notifier& notifier, JobEvents& events,
                   WorkerFactory& workers, JobOutputs& outputs, bool movieFilesAvailable);
  // A job still running is stopped and awaited.
  ~EncodeController() override;

  enum class EncodeResult { Refused, Started, Resumed };
  // Encode pressed, with the destination folder as the user typed it. A
  // paused job resumes; otherwise a new job starts if the settings pass.
  EncodeResult Encode(const std::string& destinationText);
  void Pause();
  // Lets a paused job go on; false when there is no job to resume.
  bool Resume();
  void Stop();
  // Stops a job and waits for its end (closing the program).
  void StopAndWait();
  // After JobEvents::JobFinished: waits for the driver's thread and forgets it.
  void HandleJobFinished();

  // A decode worker queued graph events.
  void OnGraphEvent() override;

  bool HasJob() const { return driver_ != nullptr; }
  // Encode the variants one at a time, each with a decode of its own, as
  // the reference order for comparisons (the default is one decode a group).
  void SetSequential(bool sequential) { context_.sequential = sequential; }
  JobState& State() { return state_; }

 private:
  void MarkRunning();
  void ResetProgress();

  InputCatalog& catalog_;
  SettingsStore& store_;
  // Every message goes through the tally, which counts what it concerns for
  // the job's summary and passes it on to the user.
  JobTally tally_;
  Notifier& notifier_;
  JobEvents& events_;
  WorkerFactory& workers_;
  JobOutputs& outputs_;
  JobState state_;
  JobContext context_;

  std::mutex graphEventLock_;  // guards driver_ against the graph-event handler
  std::unique_ptr<MainEncodeThread> driver_;
};

}  // namespace zq48

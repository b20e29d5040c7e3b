#pragma once

#include "core/message_thread.h"
#include "core/notifier.h"
#include "encode/job_events.h"
#include "encode/job_state.h"

namespace zq48 {

// Told by a general decode worker whenever it has queued graph events.
class GraphEventSink {
 public:
  virtual ~GraphEventSink() = default;
  virtual void OnGraphEvent() = 0;
};

// What every thread of a job reaches through the start messages' wparam:
// the shared job state, the way to talk to the user and the front end's events.
// It outlives every job thread.
struct JobContext {
  JobState& state;
  Notifier& notifier;
  JobEvents& events;
  GraphEventSink& graphEvents;
  bool movieFilesAvailable = false;
  // One variant after the other, each decoding the file anew, instead of one
  // decode for every variant of a group (the same bytes either way).
  bool sequential = false;

  WParam AsWParam() { return reinterpret_cast<WParam>(this); }
  static JobContext& From(WParam wparam) { return *reinterpret_cast<JobContext*>(wparam); }
};

}  // namespace zq48

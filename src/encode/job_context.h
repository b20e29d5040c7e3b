#pragma once

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

// What every thread of a job is given when it is made: the shared job state
// and the ways to talk to the user and the front end. It outlives every job
// thread.
struct JobContext {
  JobState& state;
  Notifier& notifier;
  JobEvents& events;
  GraphEventSink& graphEvents;
  bool movieFilesAvailable = false;
  // One variant after the other, each decoding the file anew, instead of one
  // decode for every variant of a group (the same bytes either way).
  bool sequential = false;
};

}  // namespace zq48

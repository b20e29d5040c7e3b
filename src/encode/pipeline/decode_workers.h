#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "core/message_thread.h"

namespace zq48 {

struct JobContext;
class VariantJob;

// The graph event that says every branch of a decode has reached its end.
inline constexpr long kGraphEventComplete = 1;

// A decode worker as the job driver sees it: a mailbox with a thread of its
// own, started when the worker is made. A worker is made with everything it
// works on, so its messages carry nothing. Post, PostQuit and Join may be
// called from any thread (Join not from the worker's own).
class DecodeWorker {
 public:
  virtual ~DecodeWorker() = default;

  // Dropped once the worker's loop has ended.
  void Post(MessageId message) { Thread().Post(message); }
  void PostQuit() { Thread().PostQuit(); }
  // Waits without limit for the worker's thread to end.
  void Join() { Thread().Join(); }

 protected:
  // The worker's thread: the last member of the final class whose handlers
  // run on it, so that it ends before anything they use goes.
  virtual MessageThread& Thread() = 0;
};

// The decode worker of the general path. It runs its decode on threads of
// its own and tells the job's graph-event sink whenever it queued an event;
// the sink fetches them without waiting. A worker that fails must still
// queue the completion event, so that the job goes on.
class GeneralWorker : public DecodeWorker {
 public:
  // Whether events can be fetched from this worker.
  virtual bool HasEventInterface() const { return true; }

  // The oldest queued event; nothing when none is queued. Never waits.
  std::optional<long> FetchGraphEvent() {
    std::lock_guard lock(eventsMutex_);
    if (events_.empty()) return std::nullopt;
    long code = events_.front();
    events_.pop_front();
    return code;
  }

 protected:
  void QueueGraphEvent(long code) {
    std::lock_guard lock(eventsMutex_);
    events_.push_back(code);
  }

 private:
  std::mutex eventsMutex_;
  std::deque<long> events_;
};

// Creates the decode workers of a group of variants of one file (a group of
// one included), with their threads started: one decode feeds them all. The
// movie-file workers post their done message to `driver` before they end,
// whether they succeeded or not. The variants outlive the workers.
class WorkerFactory {
 public:
  virtual ~WorkerFactory() = default;
  virtual std::unique_ptr<GeneralWorker> CreateGeneralWorker(JobContext& job, std::vector<VariantJob*> variants) = 0;
  virtual std::unique_ptr<DecodeWorker> CreateMovieVideoWorker(JobContext& job, MessageThread& driver,
                                                               std::vector<VariantJob*> variants) = 0;
  virtual std::unique_ptr<DecodeWorker> CreateMovieAudioWorker(JobContext& job, MessageThread& driver,
                                                               std::vector<VariantJob*> variants) = 0;
};

}  // namespace zq48

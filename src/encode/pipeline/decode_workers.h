#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "core/message_thread.h"

namespace zq48 {

struct JobContext;

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

// Creates the decode workers of the variant published in `job`'s state, with
// their threads started; what the variant asks of the decode is read as they
// are made. The movie-file workers post their done message to `driver`
// before they end, whether they succeeded or not.
class WorkerFactory {
 public:
  virtual ~WorkerFactory() = default;
  virtual std::unique_ptr<GeneralWorker> CreateGeneralWorker(JobContext& job) = 0;
  virtual std::unique_ptr<DecodeWorker> CreateMovieVideoWorker(JobContext& job, MessageThread& driver) = 0;
  virtual std::unique_ptr<DecodeWorker> CreateMovieAudioWorker(JobContext& job, MessageThread& driver) = 0;
  // A general worker that decodes the file once for a group of variants of
  // it, each with its own context; nothing when this factory has none (the
  // variants are then encoded one at a time). `job` is the job's own context.
  virtual std::unique_ptr<GeneralWorker> CreateGroupWorker(JobContext& job, std::vector<JobContext*> variants) {
    (void)job, (void)variants;
    return nullptr;
  }
  // The movie-file workers for a group of variants, each with its own
  // context; nothing when this factory has none.
  virtual std::unique_ptr<DecodeWorker> CreateMovieVideoGroupWorker(JobContext& job, MessageThread& driver,
                                                                    std::vector<JobContext*> variants) {
    (void)job, (void)driver, (void)variants;
    return nullptr;
  }
  virtual std::unique_ptr<DecodeWorker> CreateMovieAudioGroupWorker(JobContext& job, MessageThread& driver,
                                                                    std::vector<JobContext*> variants) {
    (void)job, (void)driver, (void)variants;
    return nullptr;
  }
};

}  // namespace zq48

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

// The decode worker of the general path. It runs its decode on threads of
// its own and tells the job's graph-event sink whenever it queued an event;
// the sink fetches them without waiting. A worker that fails must still
// queue the completion event, so that the job goes on.
class GeneralWorker : public MessageThread {
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

// Creates the decode workers of a variant, with their threads started. The
// movie-file workers post their done message to `driver` before they end,
// whether they succeeded or not.
class WorkerFactory {
 public:
  virtual ~WorkerFactory() = default;
  virtual std::unique_ptr<GeneralWorker> CreateGeneralWorker() = 0;
  virtual std::unique_ptr<MessageThread> CreateMovieVideoWorker(MessageThread& driver) = 0;
  virtual std::unique_ptr<MessageThread> CreateMovieAudioWorker(MessageThread& driver) = 0;
  // A general worker that decodes the file once for a group of variants of
  // it, each with its own context; nothing when this factory has none (the
  // variants are then encoded one at a time).
  virtual std::unique_ptr<GeneralWorker> CreateGroupWorker(std::vector<JobContext*> variants) {
    (void)variants;
    return nullptr;
  }
  // The movie-file workers for a group of variants, each with its own
  // context; nothing when this factory has none.
  virtual std::unique_ptr<MessageThread> CreateMovieVideoGroupWorker(MessageThread& driver,
                                                                     std::vector<JobContext*> variants) {
    (void)driver, (void)variants;
    return nullptr;
  }
  virtual std::unique_ptr<MessageThread> CreateMovieAudioGroupWorker(MessageThread& driver,
                                                                     std::vector<JobContext*> variants) {
    (void)driver, (void)variants;
    return nullptr;
  }
};

}  // namespace zq48

#pragma once

#include <functional>

#include "core/message_thread.h"
#include "encode/pipeline/decode_workers.h"

namespace zq48 {

// A movie-file worker: its start message runs the whole extraction of the
// movie's video or sound (the job's own state tells it when to stop or
// pause); when that is over, whether it succeeded or not, the worker ends
// and tells the job driver with its done message.
class MovieWorker final : public DecodeWorker {
 public:
  struct Messages {
    MessageId start;
    MessageId done;  // posted to the driver
  };
  MovieWorker(Messages messages, MessageThread& driver, std::function<void()> extract);

 private:
  MessageThread& Thread() override { return thread_; }
  void OnStart();

  const Messages messages_;
  MessageThread& driver_;
  const std::function<void()> extract_;
  MessageThread thread_;  // last: it ends before the extraction goes
};

}  // namespace zq48

#include "encode/pipeline/movie_worker.h"

namespace zq48 {

MovieWorker::MovieWorker(Messages messages, MessageThread& driver, std::function<void()> extract)
    : messages_(messages),
      driver_(driver),
      extract_(std::move(extract)),
      thread_({{messages.start, [this] { OnStart(); }}}) {
  thread_.Start();
}

void MovieWorker::OnStart() {
  extract_();
  // Whatever happened, the driver learns that this track of the variant has ended.
  thread_.PostQuit();
  driver_.Post(messages_.done);
}

}  // namespace zq48

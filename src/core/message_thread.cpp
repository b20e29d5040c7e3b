#include "core/message_thread.h"

namespace zq48 {

MessageThread::MessageThread(MessageMap handlers, Handler exit)
    : handlers_(std::move(handlers)), exit_(std::move(exit)) {}

MessageThread::~MessageThread() {
  PostQuit();
  Join();
}

void MessageThread::Start() { thread_ = std::thread([this] { Run(); }); }

void MessageThread::Post(MessageId message) {
  {
    std::lock_guard lock(mutex_);
    if (ended_) return;
    queue_.push_back(message);
  }
  wake_.notify_one();
}

void MessageThread::Join() {
  std::lock_guard lock(joinMutex_);
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

bool MessageThread::Ended() const {
  std::lock_guard lock(mutex_);
  return ended_;
}

void MessageThread::Run() {
  for (;;) {
    MessageId message;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return !queue_.empty(); });
      message = queue_.front();
      queue_.pop_front();
      if (message == WM_QUIT) {
        ended_ = true;
        queue_.clear();
        break;
      }
    }
    auto it = handlers_.find(message);
    if (it != handlers_.end()) it->second();
  }
  if (exit_) exit_();
}

}  // namespace zq48

#include "core/message_thread.h"

namespace zq48 {

MessageThread::~MessageThread() { EndAndJoin(); }

void MessageThread::EndAndJoin() {
  PostQuit();
  Join();
}

void MessageThread::Start() { thread_ = std::thread([this] { Run(); }); }

void MessageThread::Post(MessageId message, WParam wparam) {
  {
    std::lock_guard lock(mutex_);
    if (ended_) return;
    queue_.push_back({message, wparam});
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
    Posted posted;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return !queue_.empty(); });
      posted = queue_.front();
      queue_.pop_front();
      if (posted.message == WM_QUIT) {
        ended_ = true;
        queue_.clear();
        break;
      }
    }
    auto it = handlers_.find(posted.message);
    if (it != handlers_.end()) it->second(posted.wparam);
  }
  ExitInstance();
}

}  // namespace zq48

#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace zq48 {

using MessageId = unsigned;
using WParam = std::uintptr_t;

// The message that ends a thread's message loop.
inline constexpr MessageId WM_QUIT = 0x0012;

// A worker thread with a mailbox: other threads post it messages, and its
// loop runs the handler of each, one at a time, in the order they were
// posted. WM_QUIT ends the loop; ExitInstance then runs on the thread, and
// messages posted after that are dropped.
class MessageThread {
 public:
  MessageThread() = default;
  // Ends the thread (a quit message is posted if it still runs) and waits for it.
  virtual ~MessageThread();
  MessageThread(const MessageThread&) = delete;
  MessageThread& operator=(const MessageThread&) = delete;

  // Starts the thread; its loop waits for messages.
  void Start();
  // Thread-safe; a message posted to an ended thread is dropped.
  void Post(MessageId message, WParam wparam = 0);
  void PostQuit() { Post(WM_QUIT); }
  // Waits without limit for the thread to end. Safe to call more than once,
  // and from any thread but the thread itself.
  void Join();
  // True once the loop has ended.
  bool Ended() const;

 protected:
  using Handler = std::function<void(WParam)>;
  // The message map: the handler that runs for a message. Set before Start.
  void On(MessageId message, Handler handler) { handlers_[message] = std::move(handler); }
  // Runs on the thread after its loop has ended, whatever ended it.
  virtual void ExitInstance() {}
  // Must be called by the destructor of a class that overrides ExitInstance,
  // so that the thread never runs it on a half-destroyed object.
  void EndAndJoin();

 private:
  struct Posted {
    MessageId message;
    WParam wparam;
  };
  void Run();

  std::map<MessageId, Handler> handlers_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Posted> queue_;
  bool ended_ = false;
  std::mutex joinMutex_;
  std::thread thread_;
};

}  // namespace zq48

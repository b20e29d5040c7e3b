#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace zq48 {

using MessageId = unsigned;

// The message that ends a thread's message loop.
inline constexpr MessageId WM_QUIT = 0x0012;

// A thread with a mailbox: other threads post it messages, and its loop runs
// the handler of each, one at a time, in the order they were posted. A
// message is its id and nothing more: whatever a handler works on, its owner
// was given when it was made. WM_QUIT ends the loop; the exit step then runs
// on the thread, and messages posted after that are dropped.
//
// It is never a base class. A class whose handlers run on it holds it as its
// last member: destroyed first, the thread ends and is joined (its exit step
// included) while every other member of its owner is still there.
//
// Post, PostQuit, Join and Ended may be called from any thread; Start once,
// by the owner.
class MessageThread final {
 public:
  using Handler = std::function<void()>;
  // The handler that runs for each message; other messages are ignored.
  using MessageMap = std::map<MessageId, Handler>;

  // `exit` runs on the thread after its loop has ended, whatever ended it.
  explicit MessageThread(MessageMap handlers, Handler exit = nullptr);
  // Ends the thread (a quit message is posted if it still runs) and waits
  // for it. A thread that was never started runs nothing.
  ~MessageThread();
  MessageThread(const MessageThread&) = delete;
  MessageThread& operator=(const MessageThread&) = delete;

  // Starts the thread; its loop handles what was posted before, then waits
  // for messages.
  void Start();
  // A message posted to an ended thread is dropped.
  void Post(MessageId message);
  void PostQuit() { Post(WM_QUIT); }
  // Waits without limit for the thread to end. Safe to call more than once,
  // and from any thread but the thread itself.
  void Join();
  // True once the loop has ended.
  bool Ended() const;

 private:
  void Run();

  const MessageMap handlers_;
  const Handler exit_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<MessageId> queue_;
  bool ended_ = false;
  std::mutex joinMutex_;
  std::thread thread_;
};

}  // namespace zq48

#include "core/message_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "core/guarded.h"

namespace zq48 {
namespace {

// Records every message it handles, the thread it ran on, and its exit.
class Recorder : public MessageThread {
 public:
  Recorder() {
    for (MessageId id : {1u, 2u, 3u}) {
      On(id, [this, id](WParam w) {
        std::lock_guard lock(mutex_);
        seen_.push_back({id, w});
        threads_.push_back(std::this_thread::get_id());
      });
    }
    // Message 9 posts more to itself and then quits: what follows the quit is dropped.
    On(9, [this](WParam) {
      Post(1, 100);
      PostQuit();
      Post(2, 200);
    });
  }
  ~Recorder() override { EndAndJoin(); }

  std::vector<std::pair<MessageId, WParam>> seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }
  std::vector<std::thread::id> threads() {
    std::lock_guard lock(mutex_);
    return threads_;
  }
  std::atomic<int> exits{0};

 protected:
  void ExitInstance() override { ++exits; }

 private:
  std::mutex mutex_;
  std::vector<std::pair<MessageId, WParam>> seen_;
  std::vector<std::thread::id> threads_;
};

TEST(MessageThread, HandlesMessagesInOrderOnItsOwnThread) {
  Recorder thread;
  thread.Post(1, 10);  // queued before the thread runs
  thread.Start();
  thread.Post(2, 20);
  thread.Post(42, 0);  // not in the message map: ignored
  thread.Post(3, 30);
  thread.PostQuit();
  thread.Post(1, 99);  // after the quit: dropped
  thread.Join();
  thread.Join();  // joining again is harmless
  EXPECT_TRUE(thread.Ended());
  EXPECT_EQ(thread.seen(), (std::vector<std::pair<MessageId, WParam>>{{1, 10}, {2, 20}, {3, 30}}));
  for (std::thread::id id : thread.threads()) EXPECT_NE(id, std::this_thread::get_id());
  EXPECT_EQ(thread.exits, 1);
}

TEST(MessageThread, QuitPostedByAHandlerEndsTheLoopInOrder) {
  Recorder thread;
  thread.Start();
  thread.Post(9);
  thread.Join();
  EXPECT_EQ(thread.seen(), (std::vector<std::pair<MessageId, WParam>>{{1, 100}}));
  EXPECT_EQ(thread.exits, 1);
}

TEST(MessageThread, DestroyingARunningThreadEndsIt) {
  auto thread = std::make_unique<Recorder>();
  thread->Start();
  thread->Post(1, 1);
  thread.reset();  // must not hang
  Recorder neverStarted;  // and one that never ran is destroyed quietly
  SUCCEED();
}

TEST(GuardedDeathTest, TakingASecondJobStateLockAborts) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  Guarded<int> a;
  Guarded<int> b;
  EXPECT_EQ(a.With([](int& v) { return ++v; }), 1);
  EXPECT_EQ(b.Get(), 0);
  EXPECT_DEATH(a.With([&b](int&) { b.With([](int&) {}); }), "second job-state lock");
}

}  // namespace
}  // namespace zq48

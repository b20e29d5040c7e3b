#include "core/message_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/guarded.h"

namespace zq48 {
namespace {

// Records every message it handles, the thread it ran on, and its exit.
class Recorder {
 public:
  Recorder() : thread(Handlers(), [this] { ++exits; }) {}

  std::vector<MessageId> seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }
  std::vector<std::thread::id> threads() {
    std::lock_guard lock(mutex_);
    return threads_;
  }
  std::atomic<int> exits{0};

 private:
  MessageThread::MessageMap Handlers() {
    MessageThread::MessageMap handlers;
    for (MessageId id : {1u, 2u, 3u}) {
      handlers[id] = [this, id] {
        std::lock_guard lock(mutex_);
        seen_.push_back(id);
        threads_.push_back(std::this_thread::get_id());
      };
    }
    // Message 9 posts more to itself and then quits: what follows the quit is dropped.
    handlers[9] = [this] {
      thread.Post(1);
      thread.PostQuit();
      thread.Post(2);
    };
    return handlers;
  }

  std::mutex mutex_;
  std::vector<MessageId> seen_;
  std::vector<std::thread::id> threads_;

 public:
  MessageThread thread;  // last: it ends before what its handlers use
};

TEST(MessageThread, HandlesMessagesInOrderOnItsOwnThread) {
  Recorder recorder;
  MessageThread& thread = recorder.thread;
  thread.Post(1);  // queued before the thread runs
  thread.Start();
  thread.Post(2);
  thread.Post(42);  // not in the message map: ignored
  thread.Post(3);
  thread.PostQuit();
  thread.Post(1);  // after the quit: dropped
  thread.Join();
  thread.Join();  // joining again is harmless
  EXPECT_TRUE(thread.Ended());
  EXPECT_EQ(recorder.seen(), (std::vector<MessageId>{1, 2, 3}));
  for (std::thread::id id : recorder.threads()) EXPECT_NE(id, std::this_thread::get_id());
  EXPECT_EQ(recorder.exits, 1);
}

TEST(MessageThread, QuitPostedByAHandlerEndsTheLoopInOrder) {
  Recorder recorder;
  recorder.thread.Start();
  recorder.thread.Post(9);
  recorder.thread.Join();
  EXPECT_EQ(recorder.seen(), (std::vector<MessageId>{1}));
  EXPECT_EQ(recorder.exits, 1);
}

TEST(MessageThread, DestroyingARunningThreadEndsIt) {
  auto recorder = std::make_unique<Recorder>();
  recorder->thread.Start();
  recorder->thread.Post(1);
  recorder.reset();  // must not hang
  Recorder neverStarted;  // and one that never ran is destroyed quietly
  SUCCEED();
}

// Held as its owner's last member, the thread ends (its exit step run)
// before any other member of the owner is destroyed.
TEST(MessageThread, TheExitStepRunsBeforeTheOwnersOtherMembersGo) {
  std::vector<std::string> log;
  struct Member {
    std::vector<std::string>& log;
    ~Member() { log.push_back("member destroyed"); }
  };
  struct Owner {
    Member member;
    MessageThread thread;
  };
  {
    Owner owner{Member{log}, MessageThread({}, [&log] { log.push_back("exit step"); })};
    owner.thread.Start();
  }
  EXPECT_EQ(log, (std::vector<std::string>{"exit step", "member destroyed"}));
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

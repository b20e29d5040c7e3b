#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zq48 {

// The preview's real-time clock. A run starts at an origin in the file
// (seconds); the decode threads wait on it until each picture or sound
// block is due, measured from the run's start. Pausing freezes the clock,
// so a resumed run picks up where it left off; cancelling releases every
// waiter so that the decoder's threads can be joined.
class PlaybackClock {
 public:
  using Clock = std::chrono::steady_clock;

  void Restart(double origin, bool paused);
  void Pause();
  void Resume();
  void Cancel();

  // Seconds from the start of the file.
  double Position() const;
  bool Paused() const;

  // Blocks until `offset` seconds after the run's origin are due (and the
  // clock is running). Returns false when cancelled.
  bool WaitUntilDue(double offset);

 private:
  Clock::time_point Due(double offset) const;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  double origin_ = 0.0;
  Clock::time_point base_ = Clock::now();  // when the origin was (or would have been) played
  Clock::time_point pausedAt_ = base_;
  bool paused_ = false;
  bool cancelled_ = false;
};

}  // namespace zq48

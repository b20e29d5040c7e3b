#include "ui/playback_clock.h"

namespace zq48 {

void PlaybackClock::Restart(double origin, bool paused) {
  {
    std::lock_guard lock(mutex_);
    origin_ = origin;
    base_ = pausedAt_ = Clock::now();
    paused_ = paused;
    cancelled_ = false;
  }
  changed_.notify_all();
}

void PlaybackClock::Pause() {
  std::lock_guard lock(mutex_);
  if (paused_) return;
  paused_ = true;
  pausedAt_ = Clock::now();
}

void PlaybackClock::Resume() {
  {
    std::lock_guard lock(mutex_);
    if (!paused_) return;
    paused_ = false;
    base_ += Clock::now() - pausedAt_;  // the pause does not count as played time
  }
  changed_.notify_all();
}

void PlaybackClock::Cancel() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  changed_.notify_all();
}

double PlaybackClock::Position() const {
  std::lock_guard lock(mutex_);
  const Clock::time_point now = paused_ ? pausedAt_ : Clock::now();
  return origin_ + std::chrono::duration<double>(now - base_).count();
}

bool PlaybackClock::Paused() const {
  std::lock_guard lock(mutex_);
  return paused_;
}

PlaybackClock::Clock::time_point PlaybackClock::Due(double offset) const {
  return base_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(offset));
}

bool PlaybackClock::WaitUntilDue(double offset) {
  std::unique_lock lock(mutex_);
  while (!cancelled_) {
    if (paused_)
      changed_.wait(lock);
    else if (Clock::now() < Due(offset))
      changed_.wait_until(lock, Due(offset));  // a resume moves the due time: look again
    else
      return true;
  }
  return false;
}

}  // namespace zq48

#pragma once

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace zq48 {

namespace detail {
// How many job-state locks the current thread holds (shared by every Guarded<T>).
inline thread_local int tGuardedLocksHeld = 0;
}  // namespace detail

// A value that is only reached under its own mutex. The job state is made of
// several of these, and no thread may hold two of them at once (that is what
// keeps the job free of lock-order deadlocks); the rule is checked on every
// access, in every build.
template <class T>
class Guarded {
 public:
  template <class F>
  decltype(auto) With(F&& f) {
    OneLockAtATime check;
    std::lock_guard lock(mutex_);
    return f(value_);
  }
  template <class F>
  decltype(auto) With(F&& f) const {
    OneLockAtATime check;
    std::lock_guard lock(mutex_);
    return f(value_);
  }
  // A copy of the value.
  T Get() const {
    return With([](const T& v) { return v; });
  }

 private:
  class OneLockAtATime {
   public:
    OneLockAtATime() {
      if (detail::tGuardedLocksHeld != 0) {
        std::fputs("zq48: a thread took a second job-state lock\n", stderr);
        std::abort();
      }
      ++detail::tGuardedLocksHeld;
    }
    ~OneLockAtATime() { --detail::tGuardedLocksHeld; }
  };

  mutable std::mutex mutex_;
  T value_{};
};

}  // namespace zq48

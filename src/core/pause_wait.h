#pragma once

namespace zq48 {

// The one rule for a worker that can be paused and stopped: it waits while
// `paused()` holds, unless `stopped()` does, so that a paused worker can
// always be stopped. `wait()` returns when either may have changed (a
// condition variable's wait, or a sleep of one step for flags that nobody
// signals). True when the worker is stopped.
template <class Paused, class Stopped, class Wait>
bool StoppedAfterPause(Paused&& paused, Stopped&& stopped, Wait&& wait) {
  while (!stopped() && paused()) wait();
  return stopped();
}

}  // namespace zq48

#include "video/frame_rate_plan.h"

#include <algorithm>
#include <cmath>

namespace zq48 {

namespace {
// Output times this close to the boundary between two pictures count as on
// it, so floating-point noise in time stamps never decides a tie.
constexpr double kTie = 1e-9;
}  // namespace

FrameRatePlan::FrameRatePlan(double outputRate) : outputRate_(outputRate > 0 ? outputRate : 0.0) {}

std::int64_t FrameRatePlan::CoveredBefore(double t) {
  const bool first = !seen_;
  seen_ = true;
  // Without an output rate every picture is encoded once.
  if (outputRate_ == 0) return first ? 0 : 1;
  // The new picture takes over halfway from the one held, but never more
  // than half an output picture before its own time.
  // The first picture fills the output times before it.
  const double limit = (first ? t : std::max((last_ + t) / 2, t - 0.5 / outputRate_)) - kTie;
  last_ = first ? t : std::max(last_, t);
  const std::int64_t from = next_;
  while (Time(next_) < limit) ++next_;
  return next_ - from;
}

std::int64_t FrameRatePlan::CoveredUntilEnd(double end) {
  if (!seen_) return 0;
  if (outputRate_ == 0) return 1;
  const std::int64_t total = std::max<std::int64_t>(1, std::llround(end * outputRate_));
  const std::int64_t count = std::max<std::int64_t>(0, total - next_);
  next_ += count;
  return count;
}

}  // namespace zq48

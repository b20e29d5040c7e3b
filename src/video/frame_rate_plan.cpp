#include "video/frame_rate_plan.h"

#include <algorithm>
#include <cmath>

namespace zq48 {

namespace {
// Time stamps are rounded to their stream's time base (a millisecond in
// Matroska): a picture this close after an output time counts as on screen
// at that time, so the rounding never swaps in the picture before it.
constexpr double kTimeStampSlack = 0.001;
}  // namespace

FrameRatePlan::FrameRatePlan(double outputRate) : outputRate_(outputRate > 0 ? outputRate : 0.0) {}

std::int64_t FrameRatePlan::CoveredBefore(double t) {
  const bool first = !seen_;
  seen_ = true;
  // Without an output rate every picture is encoded once.
  if (outputRate_ == 0) return first ? 0 : 1;
  const std::int64_t from = next_;
  while (Time(next_) < t - kTimeStampSlack) ++next_;
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

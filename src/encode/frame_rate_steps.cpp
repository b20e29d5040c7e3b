#include "encode/frame_rate_steps.h"

#include <algorithm>
#include <cmath>

namespace zq48 {

namespace {
// Slider positions are whole micro-frames per second and edits show two
// decimals: rates this close count as the same.
constexpr double kSame = 0.001;
}  // namespace

double SnapFrameRate(double rate, double source) {
  double result = rate;
  if (source > 0 && rate > 0) {
    const double n = source / rate;
    const double larger = source / std::max(1.0, std::floor(n));  // S/floor(n) >= rate
    const double smaller = source / std::max(1.0, std::ceil(n));
    const double nearest = (larger - rate <= rate - smaller) ? larger : smaller;
    if (std::fabs(nearest - rate) < 5 / source) result = nearest;
  }
  return std::max(result, kMinFrameRate);
}

double LowerFraction(double rate, double source) {
  if (source <= 0) return rate;
  // The first n whose fraction lies clearly below the rate.
  double n = std::max(1.0, std::floor(source / rate));
  while (source / n >= rate - kSame) n += 1;
  const double lower = source / n;
  return lower > kMinFrameRate ? lower : rate;
}

double HigherFraction(double rate, double source) {
  if (source <= 0) return rate;
  // The first n whose fraction is not above the rate; the step goes to the one before it.
  double n = std::max(1.0, std::ceil(source / (rate + kSame)));
  while (n > 1 && source / (n - 1) <= rate + kSame) n -= 1;
  return n <= 1 ? rate : source / (n - 1);
}

double ClampFrameRate(double rate, double source) {
  if (rate < kMinFrameRate) return kMinFrameRate;
  if (source > 0 && rate > source) return source;
  return rate;
}

}  // namespace zq48

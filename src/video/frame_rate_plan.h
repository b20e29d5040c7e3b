#pragma once

#include <cstdint>

namespace zq48 {

// Places pictures that come at any times (a steady rate, a variable one,
// with gaps) on the output's regular times k / rate, k = 0, 1, 2, ...: the
// picture for an output time is the one on screen at that time, the latest
// picture whose time is at or before it. Output times before the first
// picture take the first picture, and the last picture stays until the end
// the caller names, so the pictures cover the whole time line.
//
// The caller holds the picture on screen; as each new picture comes it asks
// how many output times the held one covers (all those before the new one),
// and at the end how many it covers up to the end.
class FrameRatePlan {
 public:
  explicit FrameRatePlan(double outputRate);

  // The output times still open that lie before a picture at `t` seconds:
  // they show the picture held until now (or, for the very first picture,
  // this picture itself). Times are in order; one that goes back covers none.
  std::int64_t CoveredBefore(double t);
  // The output times left up to `end`, the end of the time line: the output
  // holds round(end x rate) pictures, and at least one once a picture came.
  std::int64_t CoveredUntilEnd(double end);

  std::int64_t emitted() const { return next_; }

 private:
  double Time(std::int64_t k) const { return static_cast<double>(k) / outputRate_; }

  double outputRate_;
  std::int64_t next_ = 0;  // the first output time not yet given a picture
  bool seen_ = false;      // a picture has come
};

}  // namespace zq48

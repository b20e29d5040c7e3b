#pragma once

#include <cstdint>

namespace zq48 {

// Places pictures that come at any times (a steady rate, a variable one,
// with gaps) on the output's regular times k / rate, k = 0, 1, 2, ...: the
// picture for an output time is the one nearest to it (on a tie the later
// one), except that no picture is shown more than half an
// output picture before its time; across a gap the picture on screen stays.
// Output times before the first picture take the first picture, and the
// last picture stays until the end the caller names, so the pictures cover
// the whole time line. Choosing the nearest rather than always the one on
// screen keeps a picture within half an output picture of its sound (33 ms
// at 15 pictures a second instead of up to 67 ms late) when the source's
// pictures fall between the output times.
//
// The caller holds the picture on screen; as each new picture comes it asks
// how many output times the held one covers (all those before the new one),
// and at the end how many it covers up to the end.
class FrameRatePlan {
 public:
  explicit FrameRatePlan(double outputRate);

  // The output times still open that belong to the picture held until now
  // (or, for the very first picture, the ones before it, which it fills
  // itself), as a picture at `t` seconds comes. Times are in order; one that
  // goes back covers none.
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
  double last_ = 0.0;      // the time of the latest picture
};

}  // namespace zq48

#pragma once

namespace zq48 {

// Decides, picture by picture, how the input frame rate becomes the output
// frame rate: a faster output repeats pictures (a fractional repeat count is
// carried from picture to picture), a slower one drops pictures, keeping for
// each output time the picture nearest to it.
class FrameRatePlan {
 public:
  FrameRatePlan(double inputRate, double outputRate);

  struct Decision {
    int emissions = 1;       // how often a picture is encoded now (0: none)
    bool emitSaved = false;  // the held-back picture, not the current one, is encoded
    bool saveCurrent = false;  // the current picture is held back afterwards
  };
  // For the picture at time t (seconds), in time order.
  Decision Next(double t);

 private:
  Decision Repeat();
  Decision Reduce(double t);

  double inputRate_;
  double outputRate_;
  double repeatRatio_ = 0.0;  // (output - input) / input
  double repeatAccumulator_ = 0.0;
  double sourcePeriod_ = 0.0;
  double targetPeriod_ = 0.0;
  double nextTarget_ = 0.0;
  bool first_ = true;
};

}  // namespace zq48

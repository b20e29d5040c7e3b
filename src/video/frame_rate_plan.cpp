#include "video/frame_rate_plan.h"

namespace zq48 {

FrameRatePlan::FrameRatePlan(double inputRate, double outputRate)
    : inputRate_(inputRate), outputRate_(outputRate) {
  // Without a known rate on both sides there is nothing to convert: every
  // picture is encoded once.
  if (!(inputRate > 0) || !(outputRate > 0)) inputRate_ = outputRate_ = 0.0;
  if (inputRate_ < outputRate_) {
    repeatRatio_ = (outputRate_ - inputRate_) / inputRate_;
  } else if (inputRate_ > outputRate_) {
    sourcePeriod_ = 1.0 / inputRate_;
    targetPeriod_ = 1.0 / outputRate_;
  }
}

FrameRatePlan::Decision FrameRatePlan::Next(double t) {
  if (inputRate_ < outputRate_) return Repeat();
  if (inputRate_ > outputRate_) return Reduce(t);
  return {};
}

FrameRatePlan::Decision FrameRatePlan::Repeat() {
  Decision d;
  repeatAccumulator_ += repeatRatio_;
  int k = static_cast<int>(repeatAccumulator_);
  if (k >= 1) {
    d.emissions = 1 + k;
    repeatAccumulator_ -= k;
  }
  return d;
}

FrameRatePlan::Decision FrameRatePlan::Reduce(double t) {
  Decision d;
  if (first_) {
    first_ = false;
    while (nextTarget_ < t) nextTarget_ += targetPeriod_;
    if (nextTarget_ > t) {
      d.emissions = 0;
      d.saveCurrent = true;
    } else {
      nextTarget_ += targetPeriod_;
    }
    return d;
  }
  if (nextTarget_ < t) {
    // Late for the target: encode whichever of the held-back and the current
    // picture was nearer to it.
    double late = t - nextTarget_;
    double early = sourcePeriod_ - late;
    nextTarget_ += targetPeriod_;
    d.emitSaved = early < late;
    d.saveCurrent = true;
  } else if (nextTarget_ == t) {
    nextTarget_ += targetPeriod_;
  } else {
    d.emissions = 0;
    d.saveCurrent = t + sourcePeriod_ > nextTarget_;
  }
  return d;
}

}  // namespace zq48

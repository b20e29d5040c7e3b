#pragma once

#include <cstdio>
#include <cstdlib>

namespace zq48 {

// The eleven volume entries of the file list's menu, "-50 %" .. "+50 %",
// setting the factors 0.5, 0.6, ..., 1.5.
inline constexpr int kVolumeSteps = 11;
inline constexpr int kVolumeNeutralStep = 5;  // "0 %", factor 1.0

// Computed from the step rather than summed, so that each factor is the
// nearest float to its tenth.
inline float VolumeOfStep(int step) { return static_cast<float>(5 + step) / 10.0f; }

// The entry that carries the check mark for a factor: the tenths of the
// factor, rounded to six decimals as a printed number would be and then cut
// (so 0.7f, stored as 0.69999..., is 7 tenths). A factor outside 0.5..1.5
// marks "0 %".
inline int VolumeStepOf(float factor) {
  char text[64];
  std::snprintf(text, sizeof text, "%2f", static_cast<double>(factor) * 10.0);
  const long tenths = std::strtol(text, nullptr, 10);
  if (tenths < 5 || tenths > 15) return kVolumeNeutralStep;
  return static_cast<int>(tenths) - 5;
}

}  // namespace zq48

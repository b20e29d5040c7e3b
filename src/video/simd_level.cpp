#include "video/simd_level.h"

namespace zq48 {

namespace {

SimdLevel DetectBestLevel() {
#if defined(__x86_64__)
  // SSE2 is part of x86-64 itself; AVX2 also needs the system to save the
  // 256-bit registers, which the compiler's check includes.
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return SimdLevel::kAvx2;
  return SimdLevel::kSse2;
#else
  return SimdLevel::kScalar;
#endif
}

}  // namespace

SimdLevel BestSimdLevel() {
  static const SimdLevel best = DetectBestLevel();
  return best;
}

std::vector<SimdLevel> SupportedSimdLevels() {
  std::vector<SimdLevel> levels;
  for (SimdLevel level : {SimdLevel::kScalar, SimdLevel::kSse2, SimdLevel::kAvx2})
    if (level <= BestSimdLevel()) levels.push_back(level);
  return levels;
}

const char* SimdLevelName(SimdLevel level) {
  switch (level) {
    case SimdLevel::kScalar:
      return "scalar";
    case SimdLevel::kSse2:
      return "sse2";
    case SimdLevel::kAvx2:
      return "avx2";
  }
  return "scalar";
}

}  // namespace zq48

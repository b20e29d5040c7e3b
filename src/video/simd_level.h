#pragma once

// The vector instruction sets the picture scalers can run on. Every level
// gives the same bytes; they differ only in speed.

#include <vector>

namespace zq48 {

enum class SimdLevel {
  kScalar,  // plain C++: any processor, and the reference the others match
  kSse2,    // 128-bit: every x86-64 processor
  kAvx2,    // 256-bit: chosen when the processor has it
};

// The widest level this processor and this build can run.
SimdLevel BestSimdLevel();

// Every level this processor and this build can run, narrowest first.
std::vector<SimdLevel> SupportedSimdLevels();

// "scalar", "sse2" or "avx2".
const char* SimdLevelName(SimdLevel level);

}  // namespace zq48

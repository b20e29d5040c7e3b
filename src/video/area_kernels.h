#pragma once

// The vector kernels of the area scalers, one set per instruction set.
//
// Each kernel lane is one channel of one destination pixel and performs
// exactly the float operations the scalar scalers perform for that value, in
// the same order: (pixel x column weight) x row weight for every tap, added
// to the running sum in source-row then source-column order. Nothing is
// summed across lanes and no multiply-add is fused, so every level gives the
// same bytes as the scalar code.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "video/column_taps.h"
#include "video/simd_level.h"

namespace zq48 {

struct AreaKernels {
  // out[i] = src[i] for i < n.
  void (*toFloats)(const std::uint8_t* src, std::size_t n, float* out);
  // For every tap of every column pair, in order: product = value x weight,
  // acc0 = acc0 + product x r0 and, when acc1 is not null, acc1 = acc1 +
  // product x r1. acc1 and, when fresh0, acc0 start from zero rather than
  // from memory: 0 + t is exactly t, so nothing needs clearing. Accumulators
  // are four floats a pixel, pairs after pairs.
  void (*accumulateRow)(const ColumnTaps& taps, const float* row, float r0, float* acc0, bool fresh0, float r1,
                        float* acc1);
  // Truncates the first `width` pixels of an accumulator row to bytes, three a pixel.
  void (*storeRow)(const float* acc, int width, std::uint8_t* out);
};

// The kernels of `level`; null for SimdLevel::kScalar, or a level this build lacks.
const AreaKernels* AreaKernelsFor(SimdLevel level);

const AreaKernels* Sse2AreaKernels();
const AreaKernels* Avx2AreaKernels();

// One row's kernel: Kernel<kFresh0, kTwoRows, kTaps>::Run(taps, row, r0,
// acc0, r1, acc1), an instance for each way a row is added. The common tap
// counts get their own instance, whose loop the compiler unrolls; kTaps 0
// reads the count from the taps.
using AccumulatePairsFn = void (*)(const ColumnTaps& taps, const float* row, float r0, float* acc0, float r1,
                                   float* acc1);

template <template <bool, bool, int> class Kernel, bool kFresh0, bool kTwoRows>
AccumulatePairsFn PickForTaps(int taps) {
  switch (taps) {
    case 1:
      return &Kernel<kFresh0, kTwoRows, 1>::Run;
    case 2:
      return &Kernel<kFresh0, kTwoRows, 2>::Run;
    case 3:
      return &Kernel<kFresh0, kTwoRows, 3>::Run;
    case 4:
      return &Kernel<kFresh0, kTwoRows, 4>::Run;
    case 5:
      return &Kernel<kFresh0, kTwoRows, 5>::Run;
    case 6:
      return &Kernel<kFresh0, kTwoRows, 6>::Run;
    default:
      return &Kernel<kFresh0, kTwoRows, 0>::Run;
  }
}

template <template <bool, bool, int> class Kernel>
AccumulatePairsFn PickAccumulator(int taps, bool fresh0, bool twoRows) {
  if (fresh0) return twoRows ? PickForTaps<Kernel, true, true>(taps) : PickForTaps<Kernel, true, false>(taps);
  return twoRows ? PickForTaps<Kernel, false, true>(taps) : PickForTaps<Kernel, false, false>(taps);
}

// Truncation toward zero, clamped to a byte; the weights of a pixel add up to
// one, so only rounding noise could ever pass 255.
inline std::uint8_t TruncateToByte(float value) {
  return static_cast<std::uint8_t>(std::clamp(static_cast<int>(value), 0, 255));
}

}  // namespace zq48

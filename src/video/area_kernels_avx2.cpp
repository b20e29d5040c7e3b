// The area kernels on 256-bit registers: two destination pixels a register.
//
// Only the functions marked with the avx2 target use those instructions, so
// the rest of the program (and anything this file instantiates from headers)
// stays runnable on every x86-64 processor; they run only after the
// processor has been checked (video/simd_level.h). FMA is not enabled: a
// fused multiply-add rounds once where the scalar code rounds twice.

#include "video/area_kernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

namespace zq48 {

namespace {

__attribute__((target("avx2"))) void ToFloats(const std::uint8_t* src, std::size_t n, float* out) {
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    _mm256_storeu_ps(out + i, _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes)));
    _mm256_storeu_ps(out + i + 8, _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_unpackhi_epi64(bytes, bytes))));
  }
  for (; i < n; ++i) out[i] = src[i];
}

template <bool kTwoRows>
__attribute__((target("avx2"))) void AccumulatePairs(const ColumnTaps& taps, const float* row, float r0, float* acc0,
                                                     float r1, float* acc1) {
  const __m256 vr0 = _mm256_set1_ps(r0), vr1 = _mm256_set1_ps(r1);
  const float* weights = taps.weights.data();
  for (const ColumnPair& pair : taps.pairs) {
    const float* s0 = row + pair.start[0];
    const float* s1 = row + pair.start[1];
    const float* w = weights + pair.weights;
    __m256 sum0 = _mm256_loadu_ps(acc0);
    __m256 sum1 = kTwoRows ? _mm256_loadu_ps(acc1) : sum0;
    for (int k = 0; k < pair.taps; ++k) {
      const __m256 values = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(s0 + 3 * k)),
                                                 _mm_loadu_ps(s1 + 3 * k), 1);
      const __m256 product = _mm256_mul_ps(values, _mm256_loadu_ps(w + 8 * k));
      sum0 = _mm256_add_ps(sum0, _mm256_mul_ps(product, vr0));
      if (kTwoRows) sum1 = _mm256_add_ps(sum1, _mm256_mul_ps(product, vr1));
    }
    _mm256_storeu_ps(acc0, sum0);
    acc0 += 8;
    if (kTwoRows) {
      _mm256_storeu_ps(acc1, sum1);
      acc1 += 8;
    }
  }
}

__attribute__((target("avx2"))) void AccumulateRow(const ColumnTaps& taps, const float* row, float r0, float* acc0,
                                                   float r1, float* acc1) {
  if (acc1)
    AccumulatePairs<true>(taps, row, r0, acc0, r1, acc1);
  else
    AccumulatePairs<false>(taps, row, r0, acc0, r1, acc1);
}

}  // namespace

const AreaKernels* Avx2AreaKernels() {
  // Truncating to bytes is a small share of the work: the 128-bit version serves.
  static const AreaKernels kernels{ToFloats, AccumulateRow, Sse2AreaKernels()->storeRow};
  return &kernels;
}

}  // namespace zq48

#endif

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

#include <cstring>

namespace zq48 {

namespace {

__attribute__((target("avx2"))) void ToFloats(const std::uint8_t* src, std::size_t n, float* out) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i));
    _mm256_storeu_ps(out + i, _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes)));
  }
  for (; i < n; ++i) out[i] = src[i];
}

template <bool kFresh0, bool kTwoRows, int kTaps>
struct PairKernel {
  __attribute__((target("avx2"))) static void Run(const ColumnTaps& taps, const float* row, float r0, float* acc0,
                                                  float r1, float* acc1) {
    const __m256 vr0 = _mm256_set1_ps(r0), vr1 = _mm256_set1_ps(r1);
    const float* weights = taps.weights.data();
    for (const ColumnPair& pair : taps.pairs) {
      const float* s0 = row + pair.start[0];
      const float* s1 = row + pair.start[1];
      const float* w = weights + pair.weights;
      __m256 sum0 = kFresh0 ? _mm256_setzero_ps() : _mm256_loadu_ps(acc0);
      __m256 sum1 = _mm256_setzero_ps();
      for (int k = 0; k < (kTaps ? kTaps : taps.taps); ++k) {
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
};

void AccumulateRow(const ColumnTaps& taps, const float* row, float r0, float* acc0, bool fresh0, float r1,
                   float* acc1) {
  PickAccumulator<PairKernel>(taps.taps, fresh0, acc1 != nullptr)(taps, row, r0, acc0, r1, acc1);
}

// Four pixels of accumulators to twelve bytes (and four zeros): truncate,
// saturate to 16 and to 8 bits, which clamps to 0..255, then squeeze b g r x
// to b g r with a byte shuffle.
__attribute__((target("avx2"))) inline __m128i FourPixels(const float* acc) {
  const __m128i squeeze = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m256i lo = _mm256_cvttps_epi32(_mm256_loadu_ps(acc)), hi = _mm256_cvttps_epi32(_mm256_loadu_ps(acc + 8));
  const __m128i first = _mm_packs_epi32(_mm256_castsi256_si128(lo), _mm256_extracti128_si256(lo, 1));
  const __m128i second = _mm_packs_epi32(_mm256_castsi256_si128(hi), _mm256_extracti128_si256(hi, 1));
  return _mm_shuffle_epi8(_mm_packus_epi16(first, second), squeeze);
}

// The 16-byte store runs 4 bytes past the pixels while at least two more
// pixels follow, which the next store overwrites.
__attribute__((target("avx2"))) void StoreRow(const float* acc, int width, std::uint8_t* out) {
  int x = 0;
  for (; x + 6 <= width; x += 4, acc += 16, out += 12)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), FourPixels(acc));
  for (; x + 4 <= width; x += 4, acc += 16, out += 12) {
    const __m128i bytes = FourPixels(acc);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
    const std::uint32_t tail = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(bytes, 8)));
    std::memcpy(out + 8, &tail, 4);
  }
  for (; x < width; ++x, acc += 4, out += 3)
    for (int ch = 0; ch < 3; ++ch) out[ch] = TruncateToByte(acc[ch]);
}

}  // namespace

const AreaKernels* Avx2AreaKernels() {
  static const AreaKernels kernels{ToFloats, AccumulateRow, StoreRow};
  return &kernels;
}

}  // namespace zq48

#endif

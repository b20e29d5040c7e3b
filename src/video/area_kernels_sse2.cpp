// The area kernels on 128-bit registers: one destination pixel a register.

#include "video/area_kernels.h"

#if defined(__x86_64__)

#include <emmintrin.h>

#include <cstring>

namespace zq48 {

namespace {

void ToFloats(const std::uint8_t* src, std::size_t n, float* out) {
  const __m128i zero = _mm_setzero_si128();
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i lo = _mm_unpacklo_epi8(bytes, zero), hi = _mm_unpackhi_epi8(bytes, zero);
    _mm_storeu_ps(out + i, _mm_cvtepi32_ps(_mm_unpacklo_epi16(lo, zero)));
    _mm_storeu_ps(out + i + 4, _mm_cvtepi32_ps(_mm_unpackhi_epi16(lo, zero)));
    _mm_storeu_ps(out + i + 8, _mm_cvtepi32_ps(_mm_unpacklo_epi16(hi, zero)));
    _mm_storeu_ps(out + i + 12, _mm_cvtepi32_ps(_mm_unpackhi_epi16(hi, zero)));
  }
  for (; i < n; ++i) out[i] = src[i];
}

template <bool kFresh0, bool kTwoRows, int kTaps>
struct PairKernel {
  static void Run(const ColumnTaps& taps, const float* row, float r0, float* acc0, float r1, float* acc1) {
    const __m128 vr0 = _mm_set1_ps(r0), vr1 = _mm_set1_ps(r1);
    const float* weights = taps.weights.data();
    for (const ColumnPair& pair : taps.pairs) {
      for (int half = 0; half < 2; ++half) {
        const float* s = row + pair.start[half];
        const float* w = weights + pair.weights + half * 4;
        __m128 sum0 = kFresh0 ? _mm_setzero_ps() : _mm_loadu_ps(acc0);
        __m128 sum1 = _mm_setzero_ps();
        for (int k = 0; k < (kTaps ? kTaps : taps.taps); ++k) {
          const __m128 product = _mm_mul_ps(_mm_loadu_ps(s + 3 * k), _mm_loadu_ps(w + 8 * k));
          sum0 = _mm_add_ps(sum0, _mm_mul_ps(product, vr0));
          if (kTwoRows) sum1 = _mm_add_ps(sum1, _mm_mul_ps(product, vr1));
        }
        _mm_storeu_ps(acc0, sum0);
        acc0 += 4;
        if (kTwoRows) {
          _mm_storeu_ps(acc1, sum1);
          acc1 += 4;
        }
      }
    }
  }
};

void AccumulateRow(const ColumnTaps& taps, const float* row, float r0, float* acc0, bool fresh0, float r1,
                   float* acc1) {
  PickAccumulator<PairKernel>(taps.taps, fresh0, acc1 != nullptr)(taps, row, r0, acc0, r1, acc1);
}

// Four pixels of bytes b g r x each (little-endian) to twelve bytes b g r.
void StoreTwelve(__m128i bytes, std::uint8_t* out) {
  const auto drop = [](std::uint64_t two) { return (two & 0xFFFFFF) | ((two >> 8) & 0xFFFFFF000000); };
  const std::uint64_t first = drop(static_cast<std::uint64_t>(_mm_cvtsi128_si64(bytes)));
  const std::uint64_t second = drop(static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(bytes, bytes))));
  const std::uint64_t head = first | (second << 48);
  const std::uint32_t tail = static_cast<std::uint32_t>(second >> 16);
  std::memcpy(out, &head, 8);
  std::memcpy(out + 8, &tail, 4);
}

void StoreRow(const float* acc, int width, std::uint8_t* out) {
  int x = 0;
  for (; x + 4 <= width; x += 4, acc += 16, out += 12) {
    // Truncate, then saturate to 16 and to 8 bits: clamping to 0..255.
    const __m128i a = _mm_cvttps_epi32(_mm_loadu_ps(acc)), b = _mm_cvttps_epi32(_mm_loadu_ps(acc + 4));
    const __m128i c = _mm_cvttps_epi32(_mm_loadu_ps(acc + 8)), d = _mm_cvttps_epi32(_mm_loadu_ps(acc + 12));
    StoreTwelve(_mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d)), out);
  }
  for (; x < width; ++x, acc += 4, out += 3)
    for (int ch = 0; ch < 3; ++ch) out[ch] = TruncateToByte(acc[ch]);
}

}  // namespace

const AreaKernels* Sse2AreaKernels() {
  static const AreaKernels kernels{ToFloats, AccumulateRow, StoreRow};
  return &kernels;
}

}  // namespace zq48

#endif

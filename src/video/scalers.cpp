#include "video/scalers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "video/area_kernels.h"

namespace zq48 {

namespace {

// The float nearest to 0.0001.
constexpr float kThreshold = 0.0001f;

SimdLevel Runnable(SimdLevel requested) { return std::min(requested, BestSimdLevel()); }

}  // namespace

std::vector<AreaWeight> ReductionWeights(int n, int m) {
  std::vector<AreaWeight> weights(static_cast<std::size_t>(n));
  int a = 0;
  for (AreaWeight& w : weights) {
    int c = a + m;
    if (c > n) {
      w.w0 = static_cast<float>(n - a) / static_cast<float>(n);
      w.w1 = static_cast<float>(c - n) / static_cast<float>(n);
      a = c - n;
    } else {
      w.w0 = static_cast<float>(m) / static_cast<float>(n);
      if (c == n) {
        w.w1 = -1.0f;
        a = 0;
      } else {
        w.w1 = 0.0f;
        a = c;
      }
    }
  }
  return weights;
}

std::vector<AreaWeight> EnlargementWeights(int n, int m) {
  std::vector<AreaWeight> weights(static_cast<std::size_t>(n));
  int a = 0;
  for (AreaWeight& w : weights) {
    int c = a + m;
    if (c > n) {
      w.w0 = static_cast<float>(n - a) / static_cast<float>(m);
      w.w1 = static_cast<float>(c - n) / static_cast<float>(m);
      a = c - n;
    } else {
      w.w0 = 1.0f;
      if (c == n) {
        w.w1 = -1.0f;
        a = 0;
      } else {
        a = c;
      }
    }
  }
  return weights;
}

// ---- reduction ------------------------------------------------------------
//
// Every destination value is the sum, in source order, of pixel x c x r
// terms computed exactly as written: (pixel x column weight) x row weight,
// each in 32-bit floats. The loops below are arranged for speed but perform
// the same operations on each accumulator in the same order, so the output
// is the same to the byte.

AreaReducer::AreaReducer(int srcWidth, int srcHeight, int dstWidth, int dstHeight, SimdLevel level)
    : sw_(srcWidth),
      sh_(srcHeight),
      dw_(dstWidth),
      dh_(dstHeight),
      level_(Runnable(level)),
      kernels_(AreaKernelsFor(level_)),
      rows_(ReductionWeights(srcHeight, dstHeight)) {
  int col = 0;
  for (const AreaWeight& w : ReductionWeights(srcWidth, dstWidth)) {
    // Past the last destination column nothing is accumulated any more.
    if (col >= dstWidth) break;
    const bool advance = std::fabs(w.w1) > kThreshold;
    columns_.push_back({w.w0, w.w1, w.w1 > kThreshold, advance ? 3 : 0});
    if (advance) ++col;
  }
  if (!kernels_) {
    current_.resize(static_cast<std::size_t>(dstWidth + 1) * 3);
    next_.resize(current_.size());
    return;
  }
  // The same walk, written down per destination column: each source column
  // gives its pixel x c0 to its own column and, straddling, x c1 to the next,
  // so a column's taps are consecutive source columns in source order.
  std::vector<ColumnTapList> lists(static_cast<std::size_t>(std::max(dstWidth, 0)));
  col = 0;
  for (std::size_t x = 0; x < columns_.size(); ++x) {
    const ColumnStep& c = columns_[x];
    const auto add = [&](int d, float weight) {
      if (lists[d].weights.empty()) lists[d].firstSource = static_cast<int>(x);
      lists[d].weights.push_back(weight);
    };
    add(col, c.c0);
    if (c.intoNext && col + 1 < dstWidth) add(col + 1, c.c1);
    if (c.advance) ++col;
  }
  taps_ = MakeColumnTaps(lists, srcWidth);
  current_.resize(taps_.accumulatorFloats());
  next_.resize(current_.size());
  row_.resize(taps_.rowFloats);
}

template <bool kIntoNextRow>
void AreaReducer::AccumulateRow(const std::uint8_t* p, float r0, float r1) {
  float* cur = current_.data();
  float* nxt = next_.data();
  for (const ColumnStep& c : columns_) {
    const float v0 = p[0], v1 = p[1], v2 = p[2];
    const float a0 = v0 * c.c0, a1 = v1 * c.c0, a2 = v2 * c.c0;
    cur[0] += a0 * r0;
    cur[1] += a1 * r0;
    cur[2] += a2 * r0;
    if (kIntoNextRow) {
      nxt[0] += a0 * r1;
      nxt[1] += a1 * r1;
      nxt[2] += a2 * r1;
    }
    if (c.intoNext) {
      const float b0 = v0 * c.c1, b1 = v1 * c.c1, b2 = v2 * c.c1;
      cur[3] += b0 * r0;
      cur[4] += b1 * r0;
      cur[5] += b2 * r0;
      if (kIntoNextRow) {
        nxt[3] += b0 * r1;
        nxt[4] += b1 * r1;
        nxt[5] += b2 * r1;
      }
    }
    p += 3;
    cur += c.advance;
    nxt += c.advance;
  }
}

void AreaReducer::Scale(const std::uint8_t* src, std::uint8_t* dst) {
  if (kernels_)
    ScaleVector(src, dst);
  else
    ScaleScalar(src, dst);
}

void AreaReducer::ScaleScalar(const std::uint8_t* src, std::uint8_t* dst) {
  std::fill(current_.begin(), current_.end(), 0.0f);
  std::fill(next_.begin(), next_.end(), 0.0f);
  const std::size_t srcStride = static_cast<std::size_t>(sw_) * 3;
  const std::size_t dstStride = static_cast<std::size_t>(dw_) * 3;
  int rowsWritten = 0;
  for (int sy = 0; sy < sh_ && rowsWritten < dh_; ++sy) {
    const float r0 = rows_[sy].w0;
    const float r1 = rows_[sy].w1;
    if (r1 > kThreshold) {
      AccumulateRow<true>(src + sy * srcStride, r0, r1);
    } else {
      AccumulateRow<false>(src + sy * srcStride, r0, r1);
    }
    if (std::fabs(r1) > kThreshold) {
      std::uint8_t* out = dst + rowsWritten * dstStride;
      for (std::size_t i = 0; i < dstStride; ++i) out[i] = TruncateToByte(current_[i]);
      std::swap(current_, next_);
      std::fill(next_.begin(), next_.end(), 0.0f);
      ++rowsWritten;
    }
  }
}

// The same row walk as the scalar code; each source row goes through the
// kernels as floats once, and completed rows are truncated by them as well.
// The first row of a destination row starts its sums from zero instead of
// adding to cleared ones, and a straddling row starts the next row's sums.
void AreaReducer::ScaleVector(const std::uint8_t* src, std::uint8_t* dst) {
  const std::size_t srcStride = static_cast<std::size_t>(sw_) * 3;
  const std::size_t dstStride = static_cast<std::size_t>(dw_) * 3;
  int rowsWritten = 0;
  bool fresh = true;
  for (int sy = 0; sy < sh_ && rowsWritten < dh_; ++sy) {
    const float r0 = rows_[sy].w0;
    const float r1 = rows_[sy].w1;
    const bool intoNextRow = r1 > kThreshold;
    kernels_->toFloats(src + sy * srcStride, taps_.sourceFloats, row_.data());
    kernels_->accumulateRow(taps_, row_.data(), r0, current_.data(), fresh, r1, intoNextRow ? next_.data() : nullptr);
    fresh = false;
    if (std::fabs(r1) > kThreshold) {
      kernels_->storeRow(current_.data(), dw_, dst + rowsWritten * dstStride);
      if (intoNextRow)
        std::swap(current_, next_);
      else
        fresh = true;
      ++rowsWritten;
    }
  }
}

// ---- enlargement ------------------------------------------------------------

AreaEnlarger::AreaEnlarger(int srcWidth, int srcHeight, int dstWidth, int dstHeight, SimdLevel level)
    : sw_(srcWidth),
      sh_(srcHeight),
      dw_(dstWidth),
      dh_(dstHeight),
      level_(Runnable(level)),
      kernels_(AreaKernelsFor(level_)),
      columns_(EnlargementWeights(dstWidth, srcWidth)),
      rows_(EnlargementWeights(dstHeight, srcHeight)) {
  if (!kernels_) return;
  // The scalar column walk, written down: a destination pixel takes its
  // source pixel x c0 and, straddling, the next one x c1.
  std::vector<ColumnTapList> lists;
  for (int dx = 0, sx = 0; dx < dw_ && sx < sw_; ++dx) {
    ColumnTapList list{sx, {columns_[dx].w0}};
    const float c1 = columns_[dx].w1;
    if (std::fabs(c1) > kThreshold) ++sx;
    if (c1 > kThreshold) list.weights.push_back(c1);
    lists.push_back(std::move(list));
  }
  width_ = static_cast<int>(lists.size());
  taps_ = MakeColumnTaps(lists, srcWidth);
}

void AreaEnlarger::Scale(const std::uint8_t* src, std::uint8_t* dst) const {
  if (kernels_)
    ScaleVector(src, dst);
  else
    ScaleScalar(src, dst);
}

void AreaEnlarger::ScaleScalar(const std::uint8_t* src, std::uint8_t* dst) const {
  const std::size_t srcStride = static_cast<std::size_t>(sw_) * 3;
  const std::size_t dstStride = static_cast<std::size_t>(dw_) * 3;
  int sy = 0;
  for (int dy = 0; dy < dh_ && sy < sh_; ++dy) {
    const float r0 = rows_[dy].w0;
    const float r1 = rows_[dy].w1;
    const std::uint8_t* a = src + sy * srcStride;
    if (std::fabs(r1) > kThreshold) ++sy;
    // The row below is only read when it contributes; past the last
    // destination row it would lie outside the picture.
    const bool fromNextRow = r1 > kThreshold;
    const std::uint8_t* b = fromNextRow ? src + sy * srcStride : a;
    std::uint8_t* out = dst + dy * dstStride;
    int sx = 0;
    for (int dx = 0; dx < dw_ && sx < sw_; ++dx, out += 3) {
      const float c0 = columns_[dx].w0;
      const float c1 = columns_[dx].w1;
      const std::uint8_t* pa = a + sx * 3;
      const std::uint8_t* pb = b + sx * 3;
      if (std::fabs(c1) > kThreshold) ++sx;
      const bool fromNextColumn = c1 > kThreshold;
      for (int ch = 0; ch < 3; ++ch) {
        float value = pa[ch] * c0 * r0;
        if (fromNextColumn) value += pa[3 + ch] * c1 * r0;
        if (fromNextRow) {
          value += pb[ch] * c0 * r1;
          if (fromNextColumn) value += pb[3 + ch] * c1 * r1;
        }
        out[ch] = TruncateToByte(value);
      }
    }
  }
}

// A destination value is (a x c0) x r0 + (a' x c1) x r0 + (b x c0) x r1 +
// (b' x c1) x r1, summed in that order from zero: the reducer's sum over the
// rows a and b. Scale is const, so the rows and the sum live in this call.
void AreaEnlarger::ScaleVector(const std::uint8_t* src, std::uint8_t* dst) const {
  const std::size_t srcStride = static_cast<std::size_t>(sw_) * 3;
  const std::size_t dstStride = static_cast<std::size_t>(dw_) * 3;
  std::vector<float> sum(taps_.accumulatorFloats());
  // Rows a and a + 1 never share a slot; a row serves the destination rows
  // it covers, which come one after another.
  std::vector<float> rows[2] = {std::vector<float>(taps_.rowFloats), std::vector<float>(taps_.rowFloats)};
  int held[2] = {-1, -1};
  const auto rowAsFloats = [&](int y) {
    std::vector<float>& row = rows[y % 2];
    if (held[y % 2] != y) {
      kernels_->toFloats(src + y * srcStride, taps_.sourceFloats, row.data());
      held[y % 2] = y;
    }
    return row.data();
  };
  int sy = 0;
  for (int dy = 0; dy < dh_ && sy < sh_; ++dy) {
    const float r0 = rows_[dy].w0;
    const float r1 = rows_[dy].w1;
    const int a = sy;
    if (std::fabs(r1) > kThreshold) ++sy;
    kernels_->accumulateRow(taps_, rowAsFloats(a), r0, sum.data(), true, 0.0f, nullptr);
    if (r1 > kThreshold) kernels_->accumulateRow(taps_, rowAsFloats(sy), r1, sum.data(), false, 0.0f, nullptr);
    kernels_->storeRow(sum.data(), width_, dst + dy * dstStride);
  }
}

// ---- averaging stretch --------------------------------------------------------

void AverageStretch::BuildSpans(int srcSize, int dstSize, std::vector<Span>& spans,
                                std::vector<Tap>& taps) {
  spans.clear();
  taps.clear();
  // Destination pixel d covers source [d * s / D, (d + 1) * s / D); in units
  // of 1 / D every boundary is an integer.
  for (int d = 0; d < dstSize; ++d) {
    const long long begin = static_cast<long long>(d) * srcSize;
    const long long end = begin + srcSize;
    Span span{static_cast<int>(taps.size()), 0};
    for (long long s = begin / dstSize; s * dstSize < end && s < srcSize; ++s) {
      long long from = std::max(begin, s * dstSize);
      long long to = std::min(end, (s + 1) * dstSize);
      taps.push_back({static_cast<int>(s), static_cast<float>(to - from) / srcSize});
      ++span.count;
    }
    spans.push_back(span);
  }
}

AverageStretch::AverageStretch(int srcWidth, int srcHeight, int dstWidth, int dstHeight)
    : sw_(srcWidth), sh_(srcHeight), dw_(dstWidth), dh_(dstHeight) {
  BuildSpans(sw_, dw_, columnSpans_, columnTaps_);
  BuildSpans(sh_, dh_, rowSpans_, rowTaps_);
  rowsOut_.resize(static_cast<std::size_t>(sh_) * dw_ * 3);
}

void AverageStretch::Scale(const std::uint8_t* src, std::uint8_t* dst) {
  for (int y = 0; y < sh_; ++y) {
    const std::uint8_t* in = src + static_cast<std::size_t>(y) * sw_ * 3;
    float* out = rowsOut_.data() + static_cast<std::size_t>(y) * dw_ * 3;
    for (int x = 0; x < dw_; ++x, out += 3) {
      float sum[3] = {0, 0, 0};
      const Span& span = columnSpans_[x];
      for (int t = span.first; t < span.first + span.count; ++t) {
        const std::uint8_t* p = in + columnTaps_[t].index * 3;
        for (int ch = 0; ch < 3; ++ch) sum[ch] += p[ch] * columnTaps_[t].weight;
      }
      std::copy(sum, sum + 3, out);
    }
  }
  const std::size_t rowFloats = static_cast<std::size_t>(dw_) * 3;
  for (int y = 0; y < dh_; ++y) {
    std::uint8_t* out = dst + y * rowFloats;
    const Span& span = rowSpans_[y];
    for (std::size_t i = 0; i < rowFloats; ++i) {
      float sum = 0.0f;
      for (int t = span.first; t < span.first + span.count; ++t)
        sum += rowsOut_[rowTaps_[t].index * rowFloats + i] * rowTaps_[t].weight;
      out[i] = TruncateToByte(sum + 0.5f);
    }
  }
}

}  // namespace zq48

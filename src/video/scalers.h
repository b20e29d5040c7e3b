#pragma once

// Picture scalers for packed 24-bit pictures (blue, green, red; rows in
// memory order, so bottom-up pictures stay bottom-up). Every row is exactly
// width x 3 bytes: one row layout shared by cropping, scaling and the codec,
// whatever the width.

#include <cstdint>
#include <vector>

#include "video/column_taps.h"
#include "video/simd_level.h"

namespace zq48 {

struct AreaKernels;

// How one source pixel (reduction) or one destination pixel (enlargement)
// splits between two neighbours. w1 > 0: the pixel straddles a boundary
// and w1 goes to the next one; w1 = -1: the current one is complete after it.
struct AreaWeight {
  float w0 = 0.0f;
  float w1 = 0.0f;
  bool operator==(const AreaWeight&) const = default;
};

// Weights for reducing n source pixels to m (m <= n).
std::vector<AreaWeight> ReductionWeights(int n, int m);
// Weights for enlarging m source pixels to n destination pixels (n > m).
std::vector<AreaWeight> EnlargementWeights(int n, int m);

// Area-average reduction: each destination pixel is the average of the
// source area it covers, accumulated in 32-bit floats and truncated.
//
// Both area scalers run on the widest vector instructions the processor has
// unless told a level; a level the processor lacks falls back to the best it
// has. Every level gives the same bytes: the vector kernels repeat the scalar
// code's float operations lane by lane (video/area_kernels.h).
class AreaReducer {
 public:
  AreaReducer(int srcWidth, int srcHeight, int dstWidth, int dstHeight, SimdLevel level = BestSimdLevel());
  void Scale(const std::uint8_t* src, std::uint8_t* dst);
  SimdLevel level() const { return level_; }

 private:
  // One source column: its weights and what they mean for the walk.
  struct ColumnStep {
    float c0;
    float c1;
    bool intoNext;  // part of the pixel goes to the next destination column
    int advance;    // 3 when the current destination column is complete after it, else 0
  };
  template <bool kIntoNextRow>
  void AccumulateRow(const std::uint8_t* p, float r0, float r1);
  void ScaleScalar(const std::uint8_t* src, std::uint8_t* dst);
  void ScaleVector(const std::uint8_t* src, std::uint8_t* dst);

  int sw_, sh_, dw_, dh_;
  SimdLevel level_;
  const AreaKernels* kernels_;  // null: the scalar code
  std::vector<ColumnStep> columns_;
  std::vector<AreaWeight> rows_;
  // Accumulator rows: three floats a pixel and one spare pixel for the scalar
  // code, the kernels' layout for the vector code.
  std::vector<float> current_, next_;
  ColumnTaps taps_;         // vector code only
  std::vector<float> row_;  // vector code: the source row being added, as floats
};

// Area enlargement: each destination pixel blends the source pixels it overlaps.
class AreaEnlarger {
 public:
  AreaEnlarger(int srcWidth, int srcHeight, int dstWidth, int dstHeight, SimdLevel level = BestSimdLevel());
  void Scale(const std::uint8_t* src, std::uint8_t* dst) const;
  SimdLevel level() const { return level_; }

 private:
  void ScaleScalar(const std::uint8_t* src, std::uint8_t* dst) const;
  void ScaleVector(const std::uint8_t* src, std::uint8_t* dst) const;

  int sw_, sh_, dw_, dh_;
  SimdLevel level_;
  const AreaKernels* kernels_;  // null: the scalar code
  std::vector<AreaWeight> columns_, rows_;
  ColumnTaps taps_;  // vector code only
  int width_ = 0;    // vector code: the destination columns the walk reaches
};

// An averaging stretch to any size, one dimension growing and the other
// shrinking included: a separable box filter over the exact source area of
// each destination pixel.
class AverageStretch {
 public:
  AverageStretch(int srcWidth, int srcHeight, int dstWidth, int dstHeight);
  void Scale(const std::uint8_t* src, std::uint8_t* dst);

 private:
  struct Tap {
    int index;
    float weight;
  };
  struct Span {
    int first;  // into taps_
    int count;
  };
  static void BuildSpans(int srcSize, int dstSize, std::vector<Span>& spans, std::vector<Tap>& taps);

  int sw_, sh_, dw_, dh_;
  std::vector<Span> columnSpans_, rowSpans_;
  std::vector<Tap> columnTaps_, rowTaps_;
  std::vector<float> rowsOut_;  // horizontally stretched source rows
};

}  // namespace zq48

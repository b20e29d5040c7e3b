#pragma once

// Where each destination column of a scaler draws from within one source
// row, laid out for the vector kernels (video/area_kernels.h).
//
// A kernel gives every channel of a destination pixel its own lane, plus one
// spare lane, so a pixel is four floats and its taps are unaligned four-float
// loads from a source row converted to floats: no gathers. Destination
// columns go in pairs, the two pixels a 256-bit register holds.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zq48 {

// One destination column's taps: consecutive source columns from
// firstSource on, each with its weight, in source order.
struct ColumnTapList {
  int firstSource = 0;
  std::vector<float> weights;
};

// Two destination columns side by side.
struct ColumnPair {
  std::int32_t start[2];  // each column's first tap: its first float in a source row
  std::int32_t weights;   // the pair's first weight: per tap, column 0's four times, then column 1's
};

// Every column runs the same number of taps, the most any column has, so
// the kernels' loops have no branches that depend on the column. Taps past
// a column's own have weight 0 and read further pixels of the row (or the
// zeros after it): (v x 0) x r is +0, and adding +0 to a sum of
// non-negative terms leaves it exactly as it was.
struct ColumnTaps {
  std::vector<ColumnPair> pairs;
  std::vector<float> weights;
  int taps = 0;
  std::size_t sourceFloats = 0;  // the source floats the taps use: what a row converts
  std::size_t rowFloats = 0;     // a source row buffer: room for every load, zeros after sourceFloats
  std::size_t accumulatorFloats() const { return pairs.size() * 8; }
};

ColumnTaps MakeColumnTaps(const std::vector<ColumnTapList>& columns, int srcWidth);

}  // namespace zq48

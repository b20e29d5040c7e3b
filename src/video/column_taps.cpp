#include "video/column_taps.h"

#include <algorithm>

namespace zq48 {

ColumnTaps MakeColumnTaps(const std::vector<ColumnTapList>& columns, int srcWidth) {
  ColumnTaps taps;
  for (const ColumnTapList& column : columns)
    taps.taps = std::max(taps.taps, static_cast<int>(column.weights.size()));
  const std::size_t pairCount = (columns.size() + 1) / 2;
  const std::size_t pairWeights = static_cast<std::size_t>(taps.taps) * 8;
  taps.weights.assign(pairCount * pairWeights, 0.0f);
  std::size_t reads = 0;   // one past the last float a load reads
  std::size_t needed = 0;  // one past the last float a tap of its own column uses
  for (std::size_t j = 0; j < pairCount; ++j) {
    ColumnPair pair{{0, 0}, static_cast<std::int32_t>(j * pairWeights)};
    // An odd width's last pair has a spare column: no taps, weights 0.
    for (std::size_t half = 0; half < 2 && 2 * j + half < columns.size(); ++half) {
      const ColumnTapList& column = columns[2 * j + half];
      const std::size_t start = static_cast<std::size_t>(column.firstSource) * 3;
      pair.start[half] = static_cast<std::int32_t>(start);
      for (std::size_t k = 0; k < column.weights.size(); ++k)
        std::fill_n(taps.weights.begin() + pair.weights + k * 8 + half * 4, 4, column.weights[k]);
      reads = std::max(reads, start + 3 * taps.taps + 1);
      if (!column.weights.empty()) needed = std::max(needed, start + 3 * column.weights.size());
    }
    taps.pairs.push_back(pair);
  }
  taps.sourceFloats = std::min(needed, static_cast<std::size_t>(std::max(srcWidth, 0)) * 3);
  taps.rowFloats = std::max(reads, taps.sourceFloats);
  return taps;
}

}  // namespace zq48

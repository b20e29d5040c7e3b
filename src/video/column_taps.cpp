#include "video/column_taps.h"

#include <algorithm>

namespace zq48 {

ColumnTaps MakeColumnTaps(const std::vector<ColumnTapList>& columns, int srcWidth) {
  ColumnTaps taps;
  const std::size_t pairCount = (columns.size() + 1) / 2;
  std::size_t most = 0;
  for (const ColumnTapList& column : columns) most = std::max(most, column.weights.size());
  taps.taps = static_cast<int>(most);
  std::size_t reads = 0;   // one past the last float a tap of the pair loop loads
  std::size_t needed = 0;  // one past the last source float that a real tap uses
  for (std::size_t j = 0; j < pairCount; ++j) {
    ColumnPair pair{};
    for (int half = 0; half < 2; ++half) {
      const std::size_t d = 2 * j + half;
      if (d >= columns.size()) continue;  // an odd width's last pair: the spare column has no taps
      pair.start[half] = columns[d].firstSource * 3;
      pair.count[half] = static_cast<std::int32_t>(columns[d].weights.size());
    }
    pair.taps = taps.taps;
    pair.weights = static_cast<std::int32_t>(taps.weights.size());
    taps.weights.resize(taps.weights.size() + static_cast<std::size_t>(pair.taps) * 8, 0.0f);
    for (int half = 0; half < 2; ++half) {
      for (int k = 0; k < pair.count[half]; ++k)
        std::fill_n(taps.weights.begin() + pair.weights + k * 8 + half * 4, 4, columns[2 * j + half].weights[k]);
      reads = std::max(reads, static_cast<std::size_t>(pair.start[half]) + 3 * pair.taps + 1);
      if (pair.count[half] > 0)
        needed = std::max(needed, static_cast<std::size_t>(pair.start[half]) + 3 * pair.count[half]);
    }
    taps.pairs.push_back(pair);
  }
  taps.sourceFloats = std::min(needed, static_cast<std::size_t>(std::max(srcWidth, 0)) * 3);
  taps.rowFloats = std::max(reads, taps.sourceFloats);
  return taps;
}

}  // namespace zq48

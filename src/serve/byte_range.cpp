#include "serve/byte_range.h"

namespace zq48 {

ByteRange AnswerRange(const std::vector<std::pair<long, long>>& ranges, std::uint64_t size) {
  using Kind = ByteRange::Kind;
  if (ranges.size() != 1 || size == 0) return {};
  const auto [first, last] = ranges.front();
  if (first < 0 && last < 0) return {};  // "bytes=-": nothing asked for
  if (first < 0) {                      // "bytes=-N": the last N bytes
    if (last == 0) return {Kind::Unsatisfiable};
    const auto count = static_cast<std::uint64_t>(last);
    return {Kind::Part, count >= size ? 0 : size - count, size - 1};
  }
  const auto from = static_cast<std::uint64_t>(first);
  if (from >= size) return {Kind::Unsatisfiable};
  const bool toEnd = last < 0 || static_cast<std::uint64_t>(last) >= size;
  return {Kind::Part, from, toEnd ? size - 1 : static_cast<std::uint64_t>(last)};
}

}  // namespace zq48

#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace zq48 {

// What part of a file of `size` bytes answers a request's Range header.
struct ByteRange {
  enum class Kind {
    Whole,          // no range, or one this server ignores: 200 with the whole file
    Part,           // 206 with bytes first..last (both included)
    Unsatisfiable,  // 416: the range starts at or after the end
  };
  Kind kind = Kind::Whole;
  std::uint64_t first = 0;
  std::uint64_t last = 0;
};

// The ranges as the HTTP library parsed them ("bytes=A-B": first A, last B,
// -1 where a number is missing; A <= B when both are given). A single
// range is clamped to the file (a last byte past the end means the end; a
// suffix longer than the file means all of it). Several ranges are
// answered with the whole file, as HTTP allows; so is any range of an
// empty file.
ByteRange AnswerRange(const std::vector<std::pair<long, long>>& ranges, std::uint64_t size);

}  // namespace zq48

#pragma once

#include <cstddef>
#include <cstdint>

// Little-endian fields of the container formats, read from and written into
// byte buffers at a given offset. The caller keeps `at` within the buffer.

namespace zq48::le {

inline void Put16(std::uint8_t* b, std::uint16_t v) {
  b[0] = static_cast<std::uint8_t>(v);
  b[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(std::uint8_t* b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint16_t Get16(const std::uint8_t* b) { return static_cast<std::uint16_t>(b[0] | b[1] << 8); }
inline std::uint32_t Get32(const std::uint8_t* b) {
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

}  // namespace zq48::le

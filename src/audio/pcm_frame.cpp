#include "audio/pcm_frame.h"

#include <cstring>

namespace zq48 {

namespace {

// One little-endian sample of `bytes` bytes, moved to the top of 32 bits.
int FullScale(const std::uint8_t* p, int bytes) {
  if (bytes == 1) {
    // 8-bit PCM is unsigned: flipping the top bit centres it on zero.
    return static_cast<int>(std::uint32_t(p[0] ^ 0x80u) << 24);
  }
  std::uint32_t bits = 0;
  for (int i = 0; i < bytes; ++i) bits |= std::uint32_t(p[i]) << (8 * (4 - bytes + i));
  return static_cast<int>(bits);  // two's complement since C++20
}

}  // namespace

bool PcmFormat::Supported() const {
  bool bitsOk =
      bitsPerSample == 8 || bitsPerSample == 16 || bitsPerSample == 24 || bitsPerSample == 32;
  return (channels == 1 || channels == 2) && bitsOk && sampleRate > 0;
}

void UnpackPcm(const std::uint8_t* pcm, int samples, const PcmFormat& format, int* left,
               int* right) {
  const int bytes = format.BytesPerSample();
  if (format.channels == 1) {
    for (int i = 0; i < samples; ++i, pcm += bytes) left[i] = FullScale(pcm, bytes);
    std::memset(right, 0, sizeof(int) * static_cast<std::size_t>(samples));
    return;
  }
  for (int i = 0; i < samples; ++i) {
    left[i] = FullScale(pcm, bytes);
    right[i] = FullScale(pcm + bytes, bytes);
    pcm += 2 * bytes;
  }
}

}  // namespace zq48

#include "container/stream_headers.h"

#include <cmath>

#include "container/little_endian.h"

namespace zq48 {

namespace {

void Put32(HeaderBytes& b, std::size_t at, std::uint32_t v) { le::Put32(b.data() + at, v); }
void Put16(HeaderBytes& b, std::size_t at, std::uint16_t v) { le::Put16(b.data() + at, v); }
std::uint32_t Get32(const HeaderBytes& b, std::size_t at) { return le::Get32(b.data() + at); }
std::uint16_t Get16(const HeaderBytes& b, std::size_t at) { return le::Get16(b.data() + at); }

HeaderBytes ThreeWords(std::uint32_t a, std::uint32_t b, std::uint32_t c) {
  HeaderBytes bytes{};
  Put32(bytes, 0, a);
  Put32(bytes, 4, b);
  Put32(bytes, 8, c);
  return bytes;
}

}  // namespace

HeaderBytes Encode(const FileOutputHeader& h) {
  return ThreeWords(h.version, h.durationUs, h.dataSize);
}

HeaderBytes Encode(const VideoHeader& h) {
  HeaderBytes bytes{};
  Put32(bytes, 0, h.frameRateX1e6);
  Put16(bytes, 4, h.width);
  Put16(bytes, 6, h.height);
  Put32(bytes, 8, h.bitRate);
  return bytes;
}

HeaderBytes Encode(const AudioHeader& h) { return ThreeWords(h.version, h.bitRate, h.dataSize); }

FileOutputHeader DecodeFileOutput(const HeaderBytes& b) {
  return {Get32(b, 0), Get32(b, 4), Get32(b, 8)};
}

VideoHeader DecodeVideo(const HeaderBytes& b) {
  return {Get32(b, 0), Get16(b, 4), Get16(b, 6), Get32(b, 8)};
}

AudioHeader DecodeAudio(const HeaderBytes& b) { return {Get32(b, 0), Get32(b, 4), Get32(b, 8)}; }

HeaderBytes Placeholder(HeaderKind kind) {
  switch (kind) {
    case HeaderKind::FileOutput:
      return Encode(FileOutputHeader{});
    case HeaderKind::Video:
      return Encode(VideoHeader{});
    case HeaderKind::Audio:
      break;
  }
  return Encode(AudioHeader{});
}

std::uint32_t FrameRateX1e6(double frameRate) {
  double scaled = frameRate * 1'000'000.0;
  if (!(scaled > 0)) return 0;
  if (scaled >= 4294967295.0) return UINT32_MAX;
  // Rounded, not truncated: 8.03 x 1e6 is 8029999.99... in binary floating point.
  return static_cast<std::uint32_t>(std::llround(scaled));
}

}  // namespace zq48

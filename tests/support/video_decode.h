#pragma once

#include <cstdint>
#include <vector>

namespace zq48::testing {

// An MPEG-4 Part 2 elementary stream decoded by FFmpeg's own decoder, with
// every picture turned into packed blue-green-red rows, top row first.
struct DecodedVideo {
  int width = 0;
  int height = 0;
  int errors = 0;  // packets or frames the decoder refused
  std::vector<std::vector<std::uint8_t>> pictures;
};

DecodedVideo DecodeMpeg4(const std::vector<std::uint8_t>& stream);

// Peak signal-to-noise ratio of two pictures of the same size, in dB.
double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

// Turns a bottom-up picture top-down (or back).
std::vector<std::uint8_t> FlipRows(const std::vector<std::uint8_t>& picture, int width, int height);

}  // namespace zq48::testing

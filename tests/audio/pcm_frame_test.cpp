#include "audio/pcm_frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace zq48 {
namespace {

using Ints = std::vector<int>;

struct Unpacked {
  Ints left, right;
};

Unpacked Unpack(const std::vector<std::uint8_t>& pcm, int channels, int bits) {
  PcmFormat format{channels, 8000, bits};
  int samples = static_cast<int>(pcm.size()) / format.BlockBytes();
  Unpacked out{Ints(samples, 7), Ints(samples, 7)};  // 7: not written
  UnpackPcm(pcm.data(), samples, format, out.left.data(), out.right.data());
  return out;
}

TEST(AudioPcm, EightBitIsUnsignedAndCentred) {
  Unpacked u = Unpack({0x00, 0x80, 0xFF, 0x7F}, 1, 8);
  EXPECT_EQ(u.left, (Ints{-128 << 24, 0, 127 << 24, -1 << 24}));
  EXPECT_EQ(u.right, (Ints{0, 0, 0, 0}));  // mono zeroes the second channel
}

TEST(AudioPcm, WiderSamplesAreSignedLittleEndianInTheTopBits) {
  EXPECT_EQ(Unpack({0xFE, 0xFF, 0x34, 0x12}, 1, 16).left, (Ints{-2 * 65536, 0x1234 * 65536}));
  EXPECT_EQ(Unpack({0x56, 0x34, 0x92}, 1, 24).left, (Ints{static_cast<int>(0x92345600u)}));
  EXPECT_EQ(Unpack({0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x00, 0x80}, 1, 32).left,
            (Ints{0x12345678, static_cast<int>(0x80000000u)}));
}

TEST(AudioPcm, StereoAlternatesLeftAndRight) {
  Unpacked u = Unpack({0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0xFF, 0xFF}, 2, 16);
  EXPECT_EQ(u.left, (Ints{1 << 16, 3 << 16}));
  EXPECT_EQ(u.right, (Ints{2 << 16, -1 << 16}));
}

TEST(AudioPcm, OnlyOneOrTwoChannelsOfWholeBytesAreSupported) {
  EXPECT_TRUE((PcmFormat{2, 44100, 24}.Supported()));
  EXPECT_FALSE((PcmFormat{1, 44100, 12}.Supported()));
  EXPECT_FALSE((PcmFormat{3, 44100, 16}.Supported()));
  EXPECT_FALSE((PcmFormat{1, 0, 16}.Supported()));
}

}  // namespace
}  // namespace zq48

#include "video/scalers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

namespace zq48 {
namespace {

using Picture = std::vector<std::uint8_t>;

Picture RandomPicture(int w, int h, unsigned seed) {
  std::mt19937 rng(seed);
  Picture p(static_cast<std::size_t>(w) * h * 3);
  for (auto& b : p) b = static_cast<std::uint8_t>(rng());
  return p;
}

// Random bytes eight at a time: quick enough for 4K pictures in sanitizer builds.
Picture Noise(int w, int h, unsigned seed) {
  std::mt19937_64 rng(seed);
  Picture p(static_cast<std::size_t>(w) * h * 3);
  for (std::size_t i = 0; i < p.size(); i += 8) {
    const std::uint64_t bits = rng();
    std::memcpy(p.data() + i, &bits, std::min<std::size_t>(8, p.size() - i));
  }
  return p;
}

// The reduction written out plainly, index by index, as a reference that
// any faster version must match byte for byte.
Picture ReferenceReduce(const Picture& src, int sw, int sh, int dw, int dh) {
  auto cw = ReductionWeights(sw, dw), rw = ReductionWeights(sh, dh);
  std::vector<float> cur((dw + 1) * 3, 0.0f), nxt((dw + 1) * 3, 0.0f);
  Picture dst(static_cast<std::size_t>(dw) * dh * 3);
  const float th = 0.0001f;
  int written = 0;
  for (int y = 0; y < sh && written < dh; ++y) {
    int col = 0;
    for (int x = 0; x < sw && col < dw; ++x) {
      for (int ch = 0; ch < 3; ++ch) {
        float p = src[(y * sw + x) * 3 + ch];
        cur[col * 3 + ch] += p * cw[x].w0 * rw[y].w0;
        if (cw[x].w1 > th) cur[(col + 1) * 3 + ch] += p * cw[x].w1 * rw[y].w0;
        if (rw[y].w1 > th) {
          nxt[col * 3 + ch] += p * cw[x].w0 * rw[y].w1;
          if (cw[x].w1 > th) nxt[(col + 1) * 3 + ch] += p * cw[x].w1 * rw[y].w1;
        }
      }
      if (std::fabs(cw[x].w1) > th) ++col;
    }
    if (std::fabs(rw[y].w1) > th) {
      for (int i = 0; i < dw * 3; ++i) dst[written * dw * 3 + i] = static_cast<std::uint8_t>(static_cast<int>(cur[i]));
      cur.swap(nxt);
      std::fill(nxt.begin(), nxt.end(), 0.0f);
      ++written;
    }
  }
  return dst;
}

Picture ReferenceEnlarge(const Picture& src, int sw, int sh, int dw, int dh) {
  auto cw = EnlargementWeights(dw, sw), rw = EnlargementWeights(dh, sh);
  Picture dst(static_cast<std::size_t>(dw) * dh * 3);
  const float th = 0.0001f;
  int sy = 0;
  for (int dy = 0; dy < dh && sy < sh; ++dy) {
    int a = sy;
    if (std::fabs(rw[dy].w1) > th) ++sy;
    int b = sy;
    int sx = 0;
    for (int dx = 0; dx < dw && sx < sw; ++dx) {
      int x = sx;
      if (std::fabs(cw[dx].w1) > th) ++sx;
      for (int ch = 0; ch < 3; ++ch) {
        float v = src[(a * sw + x) * 3 + ch] * cw[dx].w0 * rw[dy].w0;
        if (cw[dx].w1 > th) v += src[(a * sw + sx) * 3 + ch] * cw[dx].w1 * rw[dy].w0;
        if (rw[dy].w1 > th) v += src[(b * sw + x) * 3 + ch] * cw[dx].w0 * rw[dy].w1;
        if (cw[dx].w1 > th && rw[dy].w1 > th) v += src[(b * sw + sx) * 3 + ch] * cw[dx].w1 * rw[dy].w1;
        dst[(dy * dw + dx) * 3 + ch] = static_cast<std::uint8_t>(static_cast<int>(v));
      }
    }
  }
  return dst;
}

TEST(Scalers, ReductionWeightsSplitStraddlingPixels) {
  EXPECT_EQ(ReductionWeights(4, 3),
            (std::vector<AreaWeight>{{0.75f, 0.0f}, {0.25f, 0.5f}, {0.5f, 0.25f}, {0.75f, -1.0f}}));
  EXPECT_EQ(ReductionWeights(3, 3),
            (std::vector<AreaWeight>{{1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, -1.0f}}));
  EXPECT_EQ(EnlargementWeights(3, 2),
            (std::vector<AreaWeight>{{1.0f, 0.0f}, {0.5f, 0.5f}, {1.0f, -1.0f}}));
}

TEST(Scalers, FourToThreeAveragesTheCoveredArea) {
  // One row of four pixels, the same value in all three channels.
  const Picture src = {100, 100, 100, 200, 200, 200, 40, 40, 40, 80, 80, 80};
  Picture dst(9);
  AreaReducer(4, 1, 3, 1).Scale(src.data(), dst.data());
  EXPECT_EQ(dst, (Picture{125, 125, 125, 120, 120, 120, 70, 70, 70}));

  // Two pixels to three blend the middle one; one row to two repeats it.
  Picture up(18);
  AreaEnlarger(2, 1, 3, 2).Scale(Picture{10, 20, 30, 50, 60, 70}.data(), up.data());
  EXPECT_EQ(up, (Picture{10, 20, 30, 30, 40, 50, 50, 60, 70, 10, 20, 30, 30, 40, 50, 50, 60, 70}));
}

TEST(Scalers, EqualSizesCopyThePicture) {
  const Picture src = RandomPicture(37, 11, 7);
  Picture dst(src.size());
  AreaReducer(37, 11, 37, 11).Scale(src.data(), dst.data());
  EXPECT_EQ(dst, src);
}

TEST(Scalers, MatchTheReferenceByteForByte) {
  struct Size {
    int sw, sh, dw, dh;
  };
  for (Size s : {Size{640, 480, 320, 240}, Size{642, 480, 320, 240}, Size{641, 37, 100, 20},
                 Size{352, 288, 240, 176}, Size{5, 3, 2, 1}, Size{100, 100, 99, 1},
                 Size{1920, 1080, 448, 336}, Size{721, 577, 719, 575}, Size{1, 1, 1, 1}}) {
    SCOPED_TRACE(::testing::Message() << s.sw << "x" << s.sh << " -> " << s.dw << "x" << s.dh);
    const Picture src = RandomPicture(s.sw, s.sh, s.sw * 31 + s.dw);
    Picture dst(static_cast<std::size_t>(s.dw) * s.dh * 3);
    AreaReducer reducer(s.sw, s.sh, s.dw, s.dh);
    reducer.Scale(src.data(), dst.data());
    EXPECT_EQ(dst, ReferenceReduce(src, s.sw, s.sh, s.dw, s.dh));
    reducer.Scale(src.data(), dst.data());  // a second picture through the same tables
    EXPECT_EQ(dst, ReferenceReduce(src, s.sw, s.sh, s.dw, s.dh));
  }
  for (Size s : {Size{160, 120, 320, 240}, Size{161, 17, 322, 40}, Size{2, 2, 7, 5}, Size{3, 1, 4, 2}}) {
    SCOPED_TRACE(::testing::Message() << s.sw << "x" << s.sh << " -> " << s.dw << "x" << s.dh);
    const Picture src = RandomPicture(s.sw, s.sh, s.sh * 17 + s.dh);
    Picture dst(static_cast<std::size_t>(s.dw) * s.dh * 3);
    AreaEnlarger(s.sw, s.sh, s.dw, s.dh).Scale(src.data(), dst.data());
    EXPECT_EQ(dst, ReferenceEnlarge(src, s.sw, s.sh, s.dw, s.dh));
  }
}

// The vector levels against the scalar code, which stays their reference:
// the ladder, big ratios, odd widths and widths no multiple of a register,
// single pixels, equal sizes; random and saturated pictures, two pictures
// through each scaler so that nothing of the first one stays behind.
TEST(Scalers, EveryVectorLevelMatchesTheScalarCode) {
  struct Size {
    int sw, sh, dw, dh;
  };
  const auto check = [](Size s, const auto& make) {
    SCOPED_TRACE(::testing::Message() << s.sw << "x" << s.sh << " -> " << s.dw << "x" << s.dh);
    const std::vector<Picture> pictures = {Noise(s.sw, s.sh, s.sw * 7 + s.dh),
                                           Picture(static_cast<std::size_t>(s.sw) * s.sh * 3, 255)};
    auto reference = make(SimdLevel::kScalar);
    std::vector<Picture> expected;
    for (const Picture& src : pictures) {
      expected.emplace_back(static_cast<std::size_t>(s.dw) * s.dh * 3, 0);
      reference.Scale(src.data(), expected.back().data());
    }
    for (SimdLevel level : SupportedSimdLevels()) {
      if (level == SimdLevel::kScalar) continue;
      SCOPED_TRACE(SimdLevelName(level));
      auto scaler = make(level);
      ASSERT_EQ(scaler.level(), level);
      for (std::size_t i = 0; i < pictures.size(); ++i) {
        Picture dst(expected[i].size(), 0);
        scaler.Scale(pictures[i].data(), dst.data());
        EXPECT_EQ(dst, expected[i]) << "picture " << i;
      }
    }
  };
  for (Size s : {Size{640, 480, 448, 336}, Size{640, 480, 320, 240}, Size{640, 480, 240, 176},
                 Size{640, 480, 128, 96}, Size{3840, 2160, 128, 96}, Size{1920, 1080, 640, 360},
                 Size{641, 37, 100, 20}, Size{721, 577, 719, 575}, Size{37, 11, 37, 11}, Size{17, 9, 9, 5},
                 Size{13, 3, 5, 2}, Size{11, 7, 7, 7}, Size{9, 1, 1, 1}, Size{1, 9, 1, 4}, Size{1, 1, 1, 1}})
    check(s, [s](SimdLevel level) { return AreaReducer(s.sw, s.sh, s.dw, s.dh, level); });
  for (Size s : {Size{320, 240, 640, 480}, Size{160, 120, 448, 336}, Size{161, 17, 322, 40},
                 Size{17, 13, 31, 29}, Size{100, 75, 101, 76}, Size{8, 4, 8, 9}, Size{3, 1, 4, 2},
                 Size{2, 2, 7, 5}, Size{1, 1, 5, 3}})
    check(s, [s](SimdLevel level) { return AreaEnlarger(s.sw, s.sh, s.dw, s.dh, level); });
}

// The comparison above checks only the levels found here, so they must
// follow the processor, as /proc/cpuinfo reports it, and the scalers must
// take the widest one unless told otherwise.
TEST(Scalers, VectorLevelsFollowTheProcessor) {
  const std::vector<SimdLevel> levels = SupportedSimdLevels();
  const auto has = [&](SimdLevel level) { return std::find(levels.begin(), levels.end(), level) != levels.end(); };
  EXPECT_TRUE(has(SimdLevel::kScalar));
#if defined(__x86_64__)
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line) && line.rfind("flags", 0) != 0) {
  }
  ASSERT_FALSE(line.empty()) << "no flags line in /proc/cpuinfo";
  EXPECT_TRUE(has(SimdLevel::kSse2));
  EXPECT_EQ(has(SimdLevel::kAvx2), (line + " ").find(" avx2 ") != std::string::npos);
#endif
  EXPECT_EQ(AreaReducer(8, 8, 3, 3).level(), levels.back());
  EXPECT_EQ(AreaEnlarger(3, 3, 8, 8).level(), levels.back());
}

TEST(Scalers, OddWidthsKeepRowsAligned) {
  // Every row the same: any row misalignment would make output rows differ.
  const int sw = 642, sh = 48, dw = 320, dh = 24;
  Picture src(static_cast<std::size_t>(sw) * sh * 3);
  for (int y = 0; y < sh; ++y)
    for (int x = 0; x < sw * 3; ++x) src[y * sw * 3 + x] = static_cast<std::uint8_t>(x * 7);
  Picture dst(static_cast<std::size_t>(dw) * dh * 3);
  AreaReducer(sw, sh, dw, dh).Scale(src.data(), dst.data());
  for (int y = 1; y < dh; ++y)
    ASSERT_TRUE(std::equal(dst.begin(), dst.begin() + dw * 3, dst.begin() + y * dw * 3)) << y;
}

TEST(Scalers, StretchKeepsFlatColoursAndAverages) {
  // Wider and lower at once.
  Picture flat(8 * 6 * 3);
  for (std::size_t i = 0; i < flat.size(); i += 3) {
    flat[i] = 10;
    flat[i + 1] = 128;
    flat[i + 2] = 250;
  }
  Picture out(12 * 4 * 3);
  AverageStretch(8, 6, 12, 4).Scale(flat.data(), out.data());
  for (std::size_t i = 0; i < out.size(); i += 3) {
    ASSERT_EQ(out[i], 10);
    ASSERT_EQ(out[i + 1], 128);
    ASSERT_EQ(out[i + 2], 250);
  }
  // Two columns 0 and 200 squeezed into one pixel average to 100.
  const Picture pair = {0, 0, 0, 200, 200, 200};
  Picture one(3);
  AverageStretch(2, 1, 1, 1).Scale(pair.data(), one.data());
  EXPECT_EQ(one, (Picture{100, 100, 100}));
}

}  // namespace
}  // namespace zq48

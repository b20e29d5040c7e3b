#include "video/frame_rate_plan.h"

#include <gtest/gtest.h>

#include <vector>

namespace zq48 {
namespace {

// Runs pictures 0, 1, 2, ... at `inputRate` through a plan and returns, for
// every emission, the number of the picture that was encoded.
std::vector<int> Emitted(double inputRate, double outputRate, int pictures, double start = 0.0) {
  FrameRatePlan plan(inputRate, outputRate);
  std::vector<int> out;
  int saved = -1;
  for (int i = 0; i < pictures; ++i) {
    FrameRatePlan::Decision d = plan.Next(start + i / inputRate);
    for (int e = 0; e < d.emissions; ++e) out.push_back(d.emitSaved ? saved : i);
    if (d.saveCurrent) saved = i;
  }
  return out;
}

TEST(FrameRatePlan, FasterOutputRepeatsPictures) {
  std::vector<int> out = Emitted(15.0, 25.0, 150);
  EXPECT_NEAR(static_cast<double>(out.size()), 250.0, 1.0);
  // Every picture is encoded once or twice, in order.
  std::vector<int> count(150, 0);
  for (int p : out) ++count[p];
  for (int c : count) EXPECT_TRUE(c == 1 || c == 2);
  EXPECT_TRUE(std::is_sorted(out.begin(), out.end()));
  // 2/3 of a repeat per picture: over 15 pictures the tenth repeat may just
  // miss by rounding, so 24 or 25.
  EXPECT_NEAR(static_cast<double>(Emitted(15.0, 25.0, 15).size()), 25.0, 1.0);
  // Doubling the rate encodes every picture twice.
  EXPECT_EQ(Emitted(10.0, 20.0, 4), (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3}));
}

TEST(FrameRatePlan, SlowerOutputKeepsThePictureNearestEachTarget) {
  // Targets every 1/7 s, pictures every 1/30 s. Picture 0 is on the first
  // target; picture 5 is late for 1/7 and picture 4, held back, was nearer;
  // picture 9 is late for 2/7 but nearer than picture 8.
  std::vector<int> out = Emitted(30.0, 7.0, 10);
  EXPECT_EQ(out, (std::vector<int>{0, 4, 9}));
  // Over a long run the output rate is reached.
  EXPECT_NEAR(static_cast<double>(Emitted(30.0, 10.0, 300).size()), 100.0, 1.0);
}

TEST(FrameRatePlan, FirstPictureAfterTheStartCatchesTheTargetsUp) {
  // The first picture at 1.01 s: targets 0, 0.1, ... up to 1.1 are skipped to, so it is held back.
  FrameRatePlan plan(30.0, 10.0);
  FrameRatePlan::Decision d = plan.Next(1.01);
  EXPECT_EQ(d.emissions, 0);
  EXPECT_TRUE(d.saveCurrent);
}

TEST(FrameRatePlan, EqualOrUnknownRatesEncodeEveryPictureOnce) {
  EXPECT_EQ(Emitted(15.0, 15.0, 5), (std::vector<int>{0, 1, 2, 3, 4}));
  FrameRatePlan unknownInput(0.0, 15.0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(unknownInput.Next(i * 0.1).emissions, 1);
}

}  // namespace
}  // namespace zq48

#include "video/frame_rate_plan.h"

#include <gtest/gtest.h>

#include <vector>

namespace zq48 {
namespace {

// Runs pictures at `times` through a plan ending at `end` and returns, for
// every output time in order, the number of the picture encoded for it.
std::vector<int> Shown(double outputRate, const std::vector<double>& times, double end) {
  FrameRatePlan plan(outputRate);
  std::vector<int> out;
  int onScreen = -1;
  for (int i = 0; i < static_cast<int>(times.size()); ++i) {
    const std::int64_t n = plan.CoveredBefore(times[i]);
    out.insert(out.end(), n, onScreen < 0 ? i : onScreen);
    onScreen = i;
  }
  out.insert(out.end(), plan.CoveredUntilEnd(end), onScreen);
  return out;
}

std::vector<double> Steady(double rate, int count, double start = 0.0) {
  std::vector<double> t;
  for (int i = 0; i < count; ++i) t.push_back(start + i / rate);
  return t;
}

TEST(FrameRatePlan, EachOutputTimeShowsTheNearestPicture) {
  // Halving the rate keeps every other picture; equal rates keep them all.
  EXPECT_EQ(Shown(15.0, Steady(30.0, 8), 8 / 30.0), (std::vector<int>{0, 2, 4, 6}));
  EXPECT_EQ(Shown(15.0, Steady(15.0, 5), 5 / 15.0), (std::vector<int>{0, 1, 2, 3, 4}));
  // 1/7 s lies between pictures 4 (0.133 s) and 5 (0.167 s): 4 is nearer;
  // at 2/7 s picture 9 (0.3 s) is nearer than picture 8 (0.267 s).
  EXPECT_EQ(Shown(7.0, Steady(30.0, 10), 0.4), (std::vector<int>{0, 4, 9}));
  // A faster output repeats pictures, none shown more than half an output
  // picture before its time.
  EXPECT_EQ(Shown(15.0, Steady(10.0, 4), 0.4), (std::vector<int>{0, 1, 1, 2, 3, 3}));
  // Pictures 10 ms after the output times (streams that start apart) are
  // shown at them, not one output picture late.
  EXPECT_EQ(Shown(15.0, Steady(25.0, 10, 0.01), 0.4), (std::vector<int>{0, 1, 3, 5, 6, 8}));
  // Millisecond time stamps (1/30 s rounded up) still count as on time.
  EXPECT_EQ(Shown(15.0, {0.0, 0.033, 0.067, 0.1, 0.133, 0.167}, 0.2), (std::vector<int>{0, 2, 4}));
}

TEST(FrameRatePlan, GapsBeforeAndAfterThePicturesRepeatTheNearestOne) {
  // The pictures start 0.5 s late: the first fills the output times before it.
  std::vector<int> late = Shown(10.0, Steady(10.0, 5, 0.5), 1.0);
  EXPECT_EQ(late, (std::vector<int>{0, 0, 0, 0, 0, 0, 1, 2, 3, 4}));
  // One picture and two seconds of sound: 30 pictures at 15 a second.
  EXPECT_EQ(Shown(15.0, {0.0}, 2.0), std::vector<int>(30, 0));
  // Variable rate: a picture stays on screen through a long gap.
  EXPECT_EQ(Shown(10.0, {0.0, 0.1, 0.45, 0.5}, 0.6), (std::vector<int>{0, 1, 1, 1, 2, 3}));
}

TEST(FrameRatePlan, TheEndRoundsToTheNearestPictureAndKeepsAtLeastOne) {
  // The sound ends 19 ms after the last output time: no extra picture.
  EXPECT_EQ(Shown(12.5, Steady(25.0, 100), 4.019).size(), 50u);
  EXPECT_EQ(Shown(5.0, {0.0}, 0.04), (std::vector<int>{0}));
  // Times that go back cover nothing; without an output rate every picture is encoded once.
  EXPECT_EQ(Shown(10.0, {0.0, 0.3, 0.1}, 0.35), (std::vector<int>{0, 0, 0, 2}));
  EXPECT_EQ(Shown(0.0, {0.0, 0.1, 0.1}, 5.0), (std::vector<int>{0, 1, 2}));
}

}  // namespace
}  // namespace zq48

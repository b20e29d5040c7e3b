#pragma once

namespace zq48 {

// The frame rates the Expert page offers are the whole fractions of the
// source rate S (S/1, S/2, S/3, ...) down to this floor; any rate can still
// be typed.
inline constexpr double kMinFrameRate = 0.1;

// Where a released slider lands: the fraction nearest to `rate` (the larger
// one on a tie) when it lies closer than 5 / S, else `rate` itself; never
// below the floor.
double SnapFrameRate(double rate, double source);

// A page step down: the largest fraction below `rate`, or `rate` when no
// fraction below it is above the floor.
double LowerFraction(double rate, double source);

// A page step up: the next fraction above `rate`, or `rate` at the source rate.
double HigherFraction(double rate, double source);

// A typed rate brought into floor..S.
double ClampFrameRate(double rate, double source);

}  // namespace zq48

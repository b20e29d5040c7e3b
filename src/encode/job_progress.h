#pragma once

#include <cstdint>
#include <string>

#include "encode/job_state.h"

namespace zq48 {

// One look at a running job, in the terms of its two progress bars: each
// runs from 0 to its planned seconds of media, its position the seconds done.
struct JobProgress {
  std::string sourcePath;  // of the variant in progress
  int fileUpper = 0;
  int filePosition = 0;
  int jobUpper = 0;
  int jobPosition = 0;
  int titlePercent = 0;  // of the whole job, at most 100
};

// Reads the done amounts (lock A), the variants in progress (lock B, then
// each one's progress) and the planned amounts (the snapshot), one lock at a time.
JobProgress ReadJobProgress(JobState& state);

// The percentage a bar shows: position over its range, truncated; 0 for an empty range.
int BarPercent(int position, int upper);

// The projected total time of a bar at its present rate: range x elapsed /
// position in whole seconds (0 before any progress). It is the estimate of
// the whole duration, not of the time left.
std::int64_t EstimatedTotalSeconds(int upper, int position, std::int64_t elapsedSeconds);

// "hh:mm:ss" of whole seconds.
std::string ClockText(std::int64_t seconds);

}  // namespace zq48

#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "encode/disk_room.h"

namespace zq48 {

struct JobState;

// "Time elapsed: hh:mm:ss   Time estimated: hh:mm:ss". The estimate is
// written as it comes, field by field; a negative one (an empty bar range
// counts as −1) shows its minus signs rather than being hidden as zero.
QString TimeLine(std::int32_t elapsedSeconds, std::int64_t estimatedSeconds);

// "Available disk space: N MB free on drive X:", where X is the first
// character of the folder (on this system always "/"). Nothing for an empty
// folder, which leaves the line as it was; an empty text when the folder
// cannot be examined.
std::optional<QString> FreeSpaceLine(const std::string& folder);

// The two lines about the input file with list index `index` in the job's
// snapshot: its path, then its size and dates. An index outside the list
// gives an empty path and empty facts.
struct CurrentFileLines {
  QString path;
  QString facts;
};
CurrentFileLines ReadCurrentFileLines(JobState& job, int index);

}  // namespace zq48

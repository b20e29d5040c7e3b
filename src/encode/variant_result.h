#pragma once

#include <cstddef>
#include <string>

#include "encode/job_events.h"
#include "encode/package/job_outputs.h"

namespace zq48 {

// How many measured rates the driver's record holds; what a finishing step
// adds to them is what that variant wrote.
struct RecordedRates {
  std::size_t video = 0;
  std::size_t audio = 0;
};
RecordedRates RecordedRatesOf(const DriverRecord& record);

// The result of a variant whose finishing step has run: its measured rates
// are those the step added to the record since `before` (none for a stream
// that was off or got no payload), its names the final names of those
// streams, with their sizes, and the quality of the video written.
VariantResult VariantResultOf(const std::string& folder, int fileIndex, const std::string& path,
                              const OutputFilter& filter, bool finished, const DriverRecord& record,
                              RecordedRates before, const VideoQuality& quality);

}  // namespace zq48

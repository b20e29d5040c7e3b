#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "encode/job_context.h"
#include "encode/package/job_outputs.h"
#include "catalog/output_filter.h"

namespace zq48 {

// What finishing a variant (PackageOutputs::FinishVariant) names and checks.

// The message of a variant left out because a stream file could not be written whole.
std::string IncompleteStreamText(const std::string& workingPath);

// destination folder + base name + "_" + rate + "bps.video.zq48" (and ".audio.").
std::string FinalVideoName(const std::string& folder, const std::string& sourcePath,
                           std::uint32_t bitRate);
std::string FinalAudioName(const std::string& folder, const std::string& sourcePath,
                           std::uint32_t bitRate);

// The playing time of a variant in microseconds: the chosen range clamped to
// the file's length (its ends cut to whole seconds when `wholeSeconds`, as
// the general decode cuts them), else the whole seconds of sound delivered,
// else the file's length. Nothing when it does not fit the header's 32 bits.
std::optional<std::uint32_t> VariantDurationUs(const OutputFilter& filter, double fileSeconds,
                                               std::uint32_t audioSeconds, bool wholeSeconds = false);

}  // namespace zq48

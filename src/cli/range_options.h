#pragma once

#include "catalog/range_and_crop.h"
#include "cli/cli_options.h"

namespace zq48::cli {

// The time range and crop the command line gives every file: --begin,
// --end and --crop, 0 where one is not given. Seconds keep single
// precision, as the desktop program's time range dialog keeps them.
RangeAndCrop FileRangeAndCrop(const CliOptions& options);

// The same for one --variant: its own begin=, end= and crop= where it gives
// them, the file's values from the options where it does not.
RangeAndCrop VariantRangeAndCrop(const VariantFields& variant, const CliOptions& options);

}  // namespace zq48::cli

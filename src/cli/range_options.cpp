#include "cli/range_options.h"

namespace zq48::cli {

namespace {

RangeAndCrop RangeAndCropOf(const std::optional<double>& begin, const std::optional<double>& end,
                            const std::optional<Crop>& crop) {
  const Crop margins = crop.value_or(Crop{});
  return {static_cast<float>(begin.value_or(0.0)), static_cast<float>(end.value_or(0.0)),
          margins.left, margins.right, margins.top, margins.bottom};
}

}  // namespace

RangeAndCrop FileRangeAndCrop(const CliOptions& o) { return RangeAndCropOf(o.begin, o.end, o.crop); }

RangeAndCrop VariantRangeAndCrop(const VariantFields& v, const CliOptions& o) {
  return RangeAndCropOf(v.begin ? v.begin : o.begin, v.end ? v.end : o.end, v.crop ? v.crop : o.crop);
}

}  // namespace zq48::cli

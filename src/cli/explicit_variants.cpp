#include "cli/explicit_variants.h"

#include "cli/range_options.h"
#include "encode/explicit_variant.h"
#include "encode/frame_rate_steps.h"
#include "catalog/same_filter.h"
#include "encode/settings_checks.h"

namespace zq48::cli {

namespace {

// One variant for one file; false (after the message) when it is refused.
bool AddVariant(const VariantFields& v, const RangeAndCrop& range, const std::string& path,
                InputCatalog& catalog, Notifier& notifier) {
  const MediaFacts& facts = catalog.Facts(path);
  // Without video the frame rate only names the files: the file's own.
  const double rate = ClampFrameRate(v.frameRate.value_or(facts.frameRate), facts.frameRate);
  const int audio = facts.hasAudio ? v.audioKbps : 0;
  if (v.videoKbps == 0 && audio == 0) {
    notifier.ShowApp(path + " has no sound: a variant without video has nothing to encode.");
    return false;
  }
  const OutputFilter f = ExplicitVariant(catalog, path, v, rate, range);
  if (HasSameFilter(catalog, path, f.width, f.height, rate, v.videoKbps, audio)) {
    notifier.Show({kSameFilterText, kSameFilterCaption, Presentation::AppBox});
    return false;
  }
  catalog.AddFilter(path, f);
  return true;
}

}  // namespace

ExplicitVariantsResult AddExplicitVariants(const CliOptions& options, InputCatalog& catalog,
                                           Notifier& notifier) {
  ExplicitVariantsResult result;
  if (options.variants.empty()) return result;
  std::vector<RangeAndCrop> ranges;
  for (const VariantFields& v : options.variants) {
    ranges.push_back(VariantRangeAndCrop(v, options));
    if (std::optional<std::string> problem = ValidateTimeRangeAndCrop(ranges.back(), catalog)) {
      notifier.Show({*problem, kInvalidInputCaption, Presentation::AppBox});
      result.invalidInput = true;
      return result;
    }
  }
  for (const std::string& path : catalog.InputPaths()) {
    catalog.RemoveAllFilters(path);
    catalog.SetCustomFilters(path, true);
    for (std::size_t i = 0; i < options.variants.size(); ++i) {
      if (!AddVariant(options.variants[i], ranges[i], path, catalog, notifier))
        result.refused.push_back({path, options.variants[i].text});
    }
  }
  return result;
}

}  // namespace zq48::cli

#include "cli/explicit_variants.h"

#include "cli/range_options.h"
#include "encode/filter_ladder.h"
#include "encode/frame_rate_steps.h"
#include "catalog/same_filter.h"
#include "encode/settings_checks.h"

namespace zq48::cli {

namespace {

// Writes the variant's fields over what MakeFilter derived from the file.
void ApplyFields(const VariantFields& v, const RangeAndCrop& range, bool fileHasSound, OutputFilter& f) {
  f.width = v.width;
  f.height = v.height;
  f.videoBitRate = v.videoKbps;
  if (fileHasSound && v.audioKbps > 0) {
    f.audioBitRate = v.audioKbps;
    f.audioSampleRate = v.sampleRate;
    f.audioChannels = v.channels;
    if (v.volume) f.volume = static_cast<float>(*v.volume);
  } else {
    // No sound is written, so nothing may suggest one.
    f.audioOn = 0;
    f.audioBitRate = f.audioSampleRate = f.audioChannels = 0;
    f.volume = 0.0f;
  }
  ApplyRangeAndCrop(range, f);
}

// One variant for one file; false (after the message) when it is refused.
bool AddVariant(const VariantFields& v, const RangeAndCrop& range, const std::string& path,
                InputCatalog& catalog, Notifier& notifier) {
  const MediaFacts& facts = catalog.Facts(path);
  const double rate = ClampFrameRate(v.frameRate, facts.frameRate);
  const int audio = facts.hasAudio ? v.audioKbps : 0;
  if (v.videoKbps == 0 && audio == 0) {
    notifier.ShowApp(path + " has no sound: a variant without video has nothing to encode.");
    return false;
  }
  if (HasSameFilter(catalog, path, v.width, v.height, rate, v.videoKbps, audio)) {
    notifier.Show({kSameFilterText, kSameFilterCaption, Presentation::AppBox});
    return false;
  }
  const auto total = static_cast<std::uint32_t>(v.videoKbps + v.audioKbps);
  OutputFilter* f = MakeFilter(catalog, path, total, rate, v.audioKbps > 0 ? 1 : 0, v.videoKbps > 0 ? 1 : 0);
  ApplyFields(v, range, facts.hasAudio, *f);
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

#include "encode/job_file_listing.h"

#include "encode/explicit_variant.h"
#include "encode/filter_ladder.h"
#include "encode/frame_rate_steps.h"
#include "encode/settings_checks.h"

namespace zq48 {

namespace {

RangeAndCrop RangeAndCropOf(std::optional<double> begin, std::optional<double> end, std::optional<Crop> crop) {
  const Crop c = crop.value_or(Crop{});
  return {begin.value_or(0), end.value_or(0), c.left, c.right, c.top, c.bottom};
}

// The crops against the file's picture, as the time range dialog checks them.
std::optional<JobFileError> CheckAgainstFile(const JobFileEntry& entry, const InputCatalog& catalog) {
  InputCatalog file;
  file.AddInputPath(entry.path);
  file.MutableFacts(entry.path) = catalog.Facts(entry.path);
  if (auto text = ValidateTimeRangeAndCrop(RangeAndCropOf(entry.begin, entry.end, entry.crop), file))
    return JobFileError{entry.line, entry.path + ": " + *text};
  if (!entry.variants) return std::nullopt;
  for (const JobVariant& v : *entry.variants) {
    const RangeAndCrop own = RangeAndCropOf(v.fields.begin ? v.fields.begin : entry.begin,
                                            v.fields.end ? v.fields.end : entry.end,
                                            v.fields.crop ? v.fields.crop : entry.crop);
    if (auto text = ValidateTimeRangeAndCrop(own, file)) return JobFileError{v.line, entry.path + ": " + *text};
  }
  return std::nullopt;
}

}  // namespace

void ApplyJobSettings(const JobFile& job, EncodeSettings& settings) {
  if (!job.destination.empty()) settings.setDestinationFolder(job.destination);
  settings.rangeBegin = job.rangeBegin;
  settings.rangeEnd = job.rangeEnd;
  settings.quality = job.quality;
  settings.titleImageOn = !job.titleImage.empty();
  settings.titleImagePath = job.titleImage;
  settings.endImageOn = !job.endImage.empty();
  settings.endImagePath = job.endImage;
  settings.webPageOn = job.webPage;
}

std::optional<JobFileError> ListJobEntry(const JobFileEntry& entry, InputCatalog& catalog) {
  if (auto problem = CheckAgainstFile(entry, catalog)) return problem;
  const MediaFacts& facts = catalog.Facts(entry.path);
  FileOptions& options = catalog.MutableOptions(entry.path);
  // A file without sound has volume 0, as the list gives it.
  options.volume = facts.hasAudio ? entry.volume.value_or(1.0f) : 0.0f;
  ApplyRangeAndCrop(RangeAndCropOf(entry.begin, entry.end, entry.crop), options);

  catalog.RemoveAllFilters(entry.path);
  catalog.SetCustomFilters(entry.path, entry.variants.has_value());
  if (!entry.variants) {
    GenerateSimpleFilters(catalog, entry.path);
    return std::nullopt;
  }
  for (const JobVariant& v : *entry.variants) {
    const VariantFields& f = v.fields;
    // Without video the frame rate only names the files: the file's own.
    const double rate = f.frameRate.value_or(ClampFrameRate(facts.frameRate, facts.frameRate));
    const RangeAndCrop range = RangeAndCropOf(f.begin ? f.begin : entry.begin, f.end ? f.end : entry.end,
                                              f.crop ? f.crop : entry.crop);
    catalog.AddFilter(entry.path, ExplicitVariant(catalog, entry.path, f, rate, range));
  }
  return std::nullopt;
}

}  // namespace zq48

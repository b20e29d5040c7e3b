#include "cli/file_catalog.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "catalog/range_and_crop.h"
#include "encode/filter_ladder.h"
#include "encode/settings_checks.h"

namespace zq48::cli {

namespace {

std::uint32_t ToKbps(long value) {
  return value < 0 || value > static_cast<long>(UINT32_MAX) ? 0 : static_cast<std::uint32_t>(value);
}

RangeAndCrop FileRangeAndCrop(const CliOptions& o) {
  RangeAndCrop v;
  v.begin = static_cast<float>(o.begin.value_or(0.0));
  v.end = static_cast<float>(o.end.value_or(0.0));
  if (o.crop) {
    v.left = o.crop->left;
    v.right = o.crop->right;
    v.top = o.crop->top;
    v.bottom = o.crop->bottom;
  }
  return v;
}

void SetFileOptions(const CliOptions& o, const MediaFacts& facts, FileOptions& file) {
  // A new file's volume is full when it has sound, none otherwise.
  file.volume = facts.hasAudio ? static_cast<float>(o.volume.value_or(1.0)) : 0.0f;
  ApplyRangeAndCrop(FileRangeAndCrop(o), file);
}

}  // namespace

bool ApplyLadderSettings(const CliOptions& options, EncodeSettings& settings, Notifier& notifier) {
  if (options.rangeBegin) settings.rangeBegin = ToKbps(*options.rangeBegin);
  if (options.rangeEnd) settings.rangeEnd = ToKbps(*options.rangeEnd);
  if (options.quality) settings.quality = static_cast<int>(*options.quality);
  settings.titleImageOn = !options.titleImage.empty();
  settings.titleImagePath = options.titleImage;
  settings.endImageOn = !options.endImage.empty();
  settings.endImagePath = options.endImage;
  settings.webPageOn = !options.noWebPage;
  // Only the bounds are checked here: the ladder is built from the range as
  // given (a reversed range gives the single rung at its end, as in the
  // desktop program), and the check at Encode swaps the two afterwards.
  EncodeSettings checked = settings;
  return CheckRange(checked, notifier).ok;
}

bool CheckFileOptions(const CliOptions& options, const InputCatalog& catalog, Notifier& notifier) {
  std::optional<std::string> problem = ValidateTimeRangeAndCrop(FileRangeAndCrop(options), catalog);
  if (!problem) return true;
  notifier.Show({*problem, kInvalidInputCaption, Presentation::AppBox});
  return false;
}

void PrintNotAccepted(const std::string& path) {
  std::fprintf(stderr, "zq48enc: %s: not accepted\n", path.c_str());
}

bool AddFiles(const CliOptions& options, Engine& engine, Notifier& notifier,
              const RefusedFile& refused) {
  InputCatalog& catalog = engine.Catalog();
  bool all = true;
  for (const std::string& path : options.files) {
    std::optional<MediaFacts> facts = engine.Probe(path, notifier);
    if (!facts || !engine.AddToCatalog(path, *facts, notifier)) {
      refused(path);
      catalog.Forget(path);
      all = false;
    }
  }
  for (const std::string& path : catalog.InputPaths()) {
    SetFileOptions(options, catalog.Facts(path), catalog.MutableOptions(path));
    GenerateSimpleFilters(catalog, path);
  }
  return all;
}

}  // namespace zq48::cli

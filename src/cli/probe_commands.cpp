#include "cli/probe_commands.h"

#include <cinttypes>

#include "core/plain_numbers.h"
#include "core/settings_store.h"
#include "cli/explicit_variants.h"
#include "cli/file_catalog.h"
#include "cli/json_documents.h"
#include "catalog/output_names.h"

namespace zq48::cli {

namespace {

// The engine over a catalog of its own, for commands that list files but run no job.
struct ListingEngine {
  explicit ListingEngine(Notifier& notifier) : engine(catalog, store, notifier, events) {}
  InputCatalog catalog;
  MemorySettingsStore store;
  JobEvents events;
  Engine engine;
};

const char* YesNo(bool value) { return value ? "yes" : "no"; }

void PrintFacts(std::FILE* out, const std::string& path, const MediaFacts& f) {
  std::fprintf(out, "file: %s\n", path.c_str());
  std::fprintf(out, "source kind: %d\n", f.sourceKind);
  std::fprintf(out, "width: %d\nheight: %d\n", f.width, f.height);
  std::fprintf(out, "has audio: %s\nhas video: %s\n", YesNo(f.hasAudio), YesNo(f.hasVideo));
  std::fprintf(out, "frame rate: %s\n", FixedPoint(f.frameRate, 3).c_str());
  std::fprintf(out, "video duration: %s\naudio duration: %s\n", FixedPoint(f.videoDuration, 3).c_str(),
               FixedPoint(f.audioDuration, 3).c_str());
  std::fprintf(out, "bit rate: %" PRId64 "\n", f.bitRate);
  std::fprintf(out, "size text: %s\n", f.sizeText.c_str());
  std::fprintf(out, "duration text: %s\n", f.durationText.c_str());
  std::fprintf(out, "modified: %s\ncreated: %s\n", f.modifiedDate.c_str(), f.createdDate.c_str());
  if (!f.audioFormat) return;
  const WaveFormat& w = f.audioFormat->wave;
  std::fprintf(out, "audio subtype: %s\n", f.audioFormat->subtype.c_str());
  std::fprintf(out, "audio format tag: %u\n", w.formatTag);
  std::fprintf(out, "audio channels: %u\n", w.channels);
  std::fprintf(out, "audio samples per second: %u\n", w.samplesPerSec);
  std::fprintf(out, "audio average bytes per second: %u\n", w.avgBytesPerSec);
  std::fprintf(out, "audio block align: %u\n", w.blockAlign);
  std::fprintf(out, "audio bits per sample: %u\n", w.bitsPerSample);
}

void PrintFilter(std::FILE* out, const OutputFilter& f) {
  std::fprintf(out,
               "%s volume=%s begin=%s end=%s crop-bottom=%d crop-left=%d crop-right=%d "
               "crop-top=%d\n",
               VariantTag(f).c_str(), FixedPoint(f.volume, 2).c_str(), FixedPoint(f.beginTime, 3).c_str(),
               FixedPoint(f.endTime, 3).c_str(), f.cropBottom, f.cropLeft, f.cropRight, f.cropTop);
}

void PrintFactsJson(std::FILE* out, const InputCatalog& catalog, const std::vector<std::string>& refused) {
  std::vector<std::string> files, refusedItems;
  for (const std::string& path : catalog.InputPaths()) files.push_back(FactsJson(path, catalog.Facts(path)).Text());
  for (const std::string& path : refused) refusedItems.push_back(JsonString(path));
  std::fprintf(out, "%s\n",
               JsonObject().AddRaw("files", JsonArray(files)).AddRaw("refused", JsonArray(refusedItems)).Text().c_str());
}

void PrintLadderJson(std::FILE* out, const InputCatalog& catalog, const std::vector<std::string>& refused) {
  std::vector<std::string> files, refusedItems;
  for (const std::string& path : catalog.InputPaths()) {
    std::vector<std::string> variants;
    for (std::size_t i = 0; i < catalog.FilterCount(path); ++i)
      variants.push_back(FilterJson(*catalog.FilterAt(path, i)).Text());
    files.push_back(JsonObject()
                        .Add("file", path)
                        .Add("custom", catalog.IsCustomFilters(path))
                        .AddRaw("variants", JsonArray(variants))
                        .Text());
  }
  for (const std::string& path : refused) refusedItems.push_back(JsonString(path));
  std::fprintf(out, "%s\n",
               JsonObject().AddRaw("files", JsonArray(files)).AddRaw("refused", JsonArray(refusedItems)).Text().c_str());
}

}  // namespace

int RunProbe(const CliOptions& options, Notifier& notifier, std::FILE* out) {
  ListingEngine listing(notifier);
  const InputCatalog& catalog = listing.catalog;
  std::vector<std::string> refused;
  const RefusedFile note = [&](const std::string& path) {
    refused.push_back(path);
    if (!options.json) PrintNotAccepted(path);
  };
  int status = AddFiles(options, listing.engine, notifier, note) ? 0 : 1;
  if (options.json) {
    PrintFactsJson(out, catalog, refused);
    return status;
  }
  bool first = true;
  for (const std::string& path : catalog.InputPaths()) {
    if (!first) std::fputc('\n', out);
    first = false;
    PrintFacts(out, path, catalog.Facts(path));
  }
  return status;
}

int RunLadder(const CliOptions& options, Notifier& notifier, std::FILE* out) {
  ListingEngine listing(notifier);
  InputCatalog& catalog = listing.catalog;
  if (!ApplyLadderSettings(options, catalog.Settings(), notifier)) return 2;
  std::vector<std::string> refused;
  const RefusedFile note = [&](const std::string& path) {
    refused.push_back(path);
    if (!options.json) PrintNotAccepted(path);
  };
  int status = AddFiles(options, listing.engine, notifier, note) ? 0 : 1;
  if (!CheckFileOptions(options, catalog, notifier)) return 2;
  ExplicitVariantsResult variants = AddExplicitVariants(options, catalog, notifier);
  if (variants.invalidInput) return 2;
  for (const RefusedVariant& r : variants.refused) {
    status = 1;
    std::fprintf(stderr, "zq48enc: %s: variant not added: %s\n", r.path.c_str(), r.text.c_str());
  }
  if (options.json) {
    PrintLadderJson(out, catalog, refused);
    return status;
  }
  bool first = true;
  for (const std::string& path : catalog.InputPaths()) {
    if (!first) std::fputc('\n', out);
    first = false;
    std::fprintf(out, "file: %s\n", path.c_str());
    for (std::size_t i = 0; i < catalog.FilterCount(path); ++i)
      PrintFilter(out, *catalog.FilterAt(path, i));
  }
  return status;
}

}  // namespace zq48::cli

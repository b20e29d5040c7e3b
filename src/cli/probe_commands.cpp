#include "cli/probe_commands.h"

#include <cinttypes>
#include <climits>

#include "catalog/probe.h"
#include "encode/filter_ladder.h"
#include "encode/output_names.h"
#include "encode/settings_checks.h"
#include "sources/ffmpeg_general_media.h"
#include "sources/ffmpeg_movie_media.h"

namespace zq48::cli {

namespace {

// The engine's media services over FFmpeg, and a probe that uses them.
class Prober {
 public:
  Prober(InputCatalog& catalog, Notifier& notifier)
      : probe_(catalog, notifier,
               MediaServices{&general_, FfmpegMovieMedia::Available() ? &movie_ : nullptr}) {}
  bool Probe(const std::string& path) { return probe_.Probe(path); }

 private:
  FfmpegGeneralMedia general_;
  FfmpegMovieMedia movie_;
  MediaProbe probe_;
};

const char* YesNo(bool value) { return value ? "yes" : "no"; }

void PrintFacts(std::FILE* out, const std::string& path, const MediaFacts& f) {
  std::fprintf(out, "file: %s\n", path.c_str());
  std::fprintf(out, "source kind: %d\n", f.sourceKind);
  std::fprintf(out, "width: %d\nheight: %d\n", f.width, f.height);
  std::fprintf(out, "has audio: %s\nhas video: %s\n", YesNo(f.hasAudio), YesNo(f.hasVideo));
  std::fprintf(out, "frame rate: %.3f\n", f.frameRate);
  std::fprintf(out, "video duration: %.3f\naudio duration: %.3f\n", f.videoDuration,
               f.audioDuration);
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
               "%s volume=%.2f begin=%.3f end=%.3f crop-bottom=%d crop-left=%d crop-right=%d "
               "crop-top=%d\n",
               VariantTag(f).c_str(), f.volume, f.beginTime, f.endTime, f.cropBottom, f.cropLeft,
               f.cropRight, f.cropTop);
}

std::uint32_t ToKbps(long value) {
  return value < 0 || value > static_cast<long>(UINT32_MAX) ? 0 : static_cast<std::uint32_t>(value);
}

// Applies the ladder options to the settings and checks the range as the
// desktop program does before a job.
bool ApplyLadderSettings(const CliOptions& options, EncodeSettings& settings, Notifier& notifier) {
  if (options.rangeBegin) settings.rangeBegin = ToKbps(*options.rangeBegin);
  if (options.rangeEnd) settings.rangeEnd = ToKbps(*options.rangeEnd);
  if (options.quality) settings.quality = static_cast<int>(*options.quality);
  return CheckRange(settings, notifier).ok;
}

}  // namespace

int RunProbe(const CliOptions& options, Notifier& notifier, std::FILE* out) {
  InputCatalog catalog;
  Prober prober(catalog, notifier);
  int status = 0;
  bool first = true;
  for (const std::string& path : options.files) {
    if (!prober.Probe(path)) {
      std::fprintf(stderr, "zq48enc: %s: not accepted\n", path.c_str());
      status = 1;
      continue;
    }
    if (!first) std::fputc('\n', out);
    first = false;
    PrintFacts(out, path, catalog.Facts(path));
  }
  return status;
}

int RunLadder(const CliOptions& options, Notifier& notifier, std::FILE* out) {
  InputCatalog catalog;
  if (!ApplyLadderSettings(options, catalog.Settings(), notifier)) return 2;
  Prober prober(catalog, notifier);
  int status = 0;
  bool first = true;
  for (const std::string& path : options.files) {
    if (!prober.Probe(path)) {
      std::fprintf(stderr, "zq48enc: %s: not accepted\n", path.c_str());
      status = 1;
      continue;
    }
    // A new file's volume is full when it has sound, none otherwise.
    catalog.MutableOptions(path).volume = catalog.Facts(path).hasAudio ? 1.0f : 0.0f;
    catalog.AddInputPath(path);
    GenerateSimpleFilters(catalog, path);
    if (!first) std::fputc('\n', out);
    first = false;
    std::fprintf(out, "file: %s\n", path.c_str());
    for (std::size_t i = 0; i < catalog.FilterCount(path); ++i)
      PrintFilter(out, *catalog.FilterAt(path, i));
  }
  return status;
}

}  // namespace zq48::cli

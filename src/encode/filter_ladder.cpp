#include "encode/filter_ladder.h"

#include <array>

#include "catalog/range_and_crop.h"

namespace zq48 {

QualityRow QualityTableRow(int quality) {
  static constexpr std::array<QualityRow, 10> kRows = {{
      {500, 7.0}, {300, 7.0}, {250, 10.0}, {210, 10.0}, {190, 10.0},
      {170, 15.0}, {140, 15.0}, {110, 15.0}, {80, 18.0}, {50, 18.0},
  }};
  // 90..100 share the last row; anything outside 0..100 takes the nearest end.
  int row = quality < 0 ? 0 : quality / 10;
  return kRows[row > 9 ? 9 : row];
}

AudioRates AudioRatesForTotal(std::uint32_t totalKbps) {
  if (totalKbps < 48) return {0, 0};
  if (totalKbps < 128) return {8000, 8};
  if (totalKbps < 900) return {8000, 16};
  return {8000, 32};
}

namespace {

// Width caps: rows by video bit rate band, columns by frame-rate band.
// Zero means no cap.
int WidthCap(double frameRate, std::int64_t videoKbps) {
  int column;
  if (frameRate >= 7 && frameRate < 10) column = 0;
  else if (frameRate >= 10 && frameRate < 15) column = 1;
  else if (frameRate >= 15 && frameRate < 18) column = 2;
  else if (frameRate >= 18 && frameRate < 30) column = 3;
  else return 0;

  struct Band {
    std::int64_t upTo;  // inclusive upper end of the band
    int caps[4];
  };
  static constexpr Band kBands[] = {
      {79, {120, 120, 120, 140}},  {149, {180, 180, 180, 180}}, {229, {220, 240, 240, 240}},
      {399, {320, 300, 320, 320}}, {699, {400, 400, 400, 400}}, {900, {720, 600, 500, 450}},
  };
  for (const Band& band : kBands)
    if (videoKbps <= band.upTo) return band.caps[column];
  return 0;
}

}  // namespace

FrameSize CapFrameSize(double frameRate, std::int64_t videoKbps, int width, int height) {
  if (height < 0.1) return {width, height};
  double aspect = static_cast<double>(width) / height;
  int cap = WidthCap(frameRate, videoKbps);
  if (cap == 0 || width <= cap) return {width, height};
  return {cap, static_cast<int>(cap / aspect)};
}

int RoundTo16(int value) {
  int r = value % 16;
  if (r == 0) return value;
  if (r < 16 - r && value != r) return value - r;
  return value - r + 16;
}

OutputFilter DeriveFilter(const InputCatalog& catalog, const std::string& path, std::uint32_t totalKbps,
                          double frameRate, int audioOn, int videoOn) {
  const MediaFacts& facts = catalog.Facts(path);
  const FileOptions& options = catalog.Options(path);
  const AudioRates audio = AudioRatesForTotal(totalKbps);

  OutputFilter filter;
  if (facts.hasAudio) {
    filter.audioChannels = 1;
    filter.audioSampleRate = audio.sampleRate;
    filter.audioBitRate = audio.bitRateKbps;
    filter.volume = options.volume;
  } else {
    filter.audioChannels = 0;
    filter.audioSampleRate = 0;
    filter.audioBitRate = 0;
    filter.volume = 0.0f;
  }
  // The video gets what the audio would take, whether or not there is audio.
  const std::int64_t videoKbps = static_cast<std::int64_t>(totalKbps) - audio.bitRateKbps;
  filter.videoBitRate = static_cast<int>(videoKbps);
  filter.frameRate = frameRate;
  filter.audioOn = audioOn;
  filter.videoOn = videoOn;

  FrameSize size = CapFrameSize(frameRate, videoKbps, facts.width, facts.height);
  filter.width = RoundTo16(size.width);
  filter.height = RoundTo16(size.height);

  ApplyRangeAndCrop(RangeAndCropOf(options), filter);
  return filter;
}

OutputFilter* MakeFilter(InputCatalog& catalog, const std::string& path, std::uint32_t totalKbps,
                         double frameRate, int audioOn, int videoOn) {
  return catalog.AddFilter(path, DeriveFilter(catalog, path, totalKbps, frameRate, audioOn, videoOn));
}

void GenerateSimpleFilters(InputCatalog& catalog, const std::string& path) {
  const EncodeSettings& settings = catalog.Settings();
  const QualityRow row = QualityTableRow(settings.quality);
  for (std::uint32_t rate = settings.rangeBegin; rate < settings.rangeEnd; rate += row.stepKbps) {
    MakeFilter(catalog, path, rate, row.frameRate, 1, 1);
    if (rate > UINT32_MAX - row.stepKbps) break;  // the next rung would wrap around
  }
  MakeFilter(catalog, path, settings.rangeEnd, row.frameRate, 1, 1);
}

void RefreshSimpleFilters(InputCatalog& catalog, const std::string& path) {
  if (catalog.IsCustomFilters(path)) return;
  catalog.RemoveAllFilters(path);
  GenerateSimpleFilters(catalog, path);
}

void RegenerateSimpleFilters(InputCatalog& catalog) {
  for (const std::string& path : catalog.InputPaths()) RefreshSimpleFilters(catalog, path);
}

void RestoreSimpleFilters(InputCatalog& catalog, const std::string& path) {
  catalog.RemoveAllFilters(path);
  catalog.SetCustomFilters(path, false);
  GenerateSimpleFilters(catalog, path);
}

}  // namespace zq48

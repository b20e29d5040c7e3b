#pragma once

#include <cstdint>
#include <string>

#include "catalog/input_catalog.h"
#include "catalog/output_filter.h"

namespace zq48 {

// The bit-rate step and frame rate a quality selects.
struct QualityRow {
  std::uint32_t stepKbps;
  double frameRate;
};
QualityRow QualityTableRow(int quality);

// The audio sample rate and bit rate a total bit rate gets; both 0 below 48 kbps.
struct AudioRates {
  int sampleRate;
  int bitRateKbps;
};
AudioRates AudioRatesForTotal(std::uint32_t totalKbps);

struct FrameSize {
  int width;
  int height;
  bool operator==(const FrameSize&) const = default;
};

// Caps the frame width by frame rate and video bit rate, keeping the aspect
// ratio; a source at or below the cap keeps its size (never enlarged).
FrameSize CapFrameSize(double frameRate, std::int64_t videoKbps, int width, int height);

// The nearest multiple of 16; a remainder of 8 goes up, 1..15 becomes 16.
int RoundTo16(int value);

// Builds one variant of `path` from its probed facts and per-file options.
OutputFilter DeriveFilter(const InputCatalog& catalog, const std::string& path, std::uint32_t totalKbps,
                          double frameRate, int audioOn, int videoOn);

// The same, appended to the path's list; returns it there.
OutputFilter* MakeFilter(InputCatalog& catalog, const std::string& path, std::uint32_t totalKbps,
                         double frameRate, int audioOn, int videoOn);

// The simple ladder of one file from the catalog's encode settings:
// begin, begin + step, ... (all below the end), then the end.
void GenerateSimpleFilters(InputCatalog& catalog, const std::string& path);

// Rebuilds one file's ladder from its options and the settings, unless its
// variants were edited by hand: a ladder built before a change of either
// still holds the old values.
void RefreshSimpleFilters(InputCatalog& catalog, const std::string& path);

// The same for every listed file.
void RegenerateSimpleFilters(InputCatalog& catalog);

// Drops a file's variants, edited by hand or not, for the simple ladder;
// the file's list follows the settings again.
void RestoreSimpleFilters(InputCatalog& catalog, const std::string& path);

}  // namespace zq48

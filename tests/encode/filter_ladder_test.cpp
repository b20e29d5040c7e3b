#include "encode/filter_ladder.h"

#include <gtest/gtest.h>

#include <vector>

namespace zq48 {
namespace {

const std::string kPath = "/in/My Movie.avi";

// A catalog holding one listed file with the given size and sound.
InputCatalog CatalogWith(int width, int height, bool hasAudio) {
  InputCatalog catalog;
  MediaFacts& facts = catalog.MutableFacts(kPath);
  facts.width = width;
  facts.height = height;
  facts.hasAudio = hasAudio;
  facts.hasVideo = true;
  catalog.MutableOptions(kPath).volume = hasAudio ? 1.0f : 0.0f;
  catalog.AddInputPath(kPath);
  return catalog;
}

struct Rung {
  int video, audio;
  bool operator==(const Rung&) const = default;
};

std::vector<Rung> Rungs(const InputCatalog& catalog, const std::string& path = kPath) {
  std::vector<Rung> out;
  for (std::size_t i = 0; i < catalog.FilterCount(path); ++i) {
    const OutputFilter* f = catalog.FilterAt(path, i);
    out.push_back({f->videoBitRate, f->audioBitRate});
  }
  return out;
}

TEST(FilterLadder, DefaultRangeAtQuality50SplitsIntoVideoAndAudio) {
  InputCatalog catalog = CatalogWith(320, 240, true);
  GenerateSimpleFilters(catalog, kPath);
  EXPECT_EQ(Rungs(catalog), (std::vector<Rung>{{40, 8}, {202, 16}, {334, 16}}));
  for (std::size_t i = 0; i < catalog.FilterCount(kPath); ++i) {
    const OutputFilter* f = catalog.FilterAt(kPath, i);
    EXPECT_EQ(f->frameRate, 15.0);
    EXPECT_EQ(f->audioChannels, 1);
    EXPECT_EQ(f->audioSampleRate, 8000);
    EXPECT_EQ(f->audioOn, 1);
    EXPECT_EQ(f->videoOn, 1);
    EXPECT_FLOAT_EQ(f->volume, 1.0f);
  }
}

TEST(FilterLadder, QualityChoosesStepAndFrameRate) {
  InputCatalog catalog = CatalogWith(320, 240, true);
  catalog.Settings().quality = 0;
  catalog.Settings().rangeBegin = 48;
  catalog.Settings().rangeEnd = 900;
  GenerateSimpleFilters(catalog, kPath);
  // 48, 548 and 900 kbps in all; 900 takes the 32 kbps audio rate.
  EXPECT_EQ(Rungs(catalog), (std::vector<Rung>{{40, 8}, {532, 16}, {868, 32}}));
  EXPECT_EQ(catalog.FilterAt(kPath, 0)->frameRate, 7.0);

  catalog.RemoveAllFilters(kPath);
  catalog.Settings().quality = 100;
  catalog.Settings().rangeEnd = 200;
  GenerateSimpleFilters(catalog, kPath);
  // 48, 98, 148, 198, 200
  EXPECT_EQ(Rungs(catalog), (std::vector<Rung>{{40, 8}, {90, 8}, {132, 16}, {182, 16}, {184, 16}}));
  EXPECT_EQ(catalog.FilterAt(kPath, 0)->frameRate, 18.0);
}

TEST(FilterLadder, QualityTableRowBoundaries) {
  EXPECT_EQ(QualityTableRow(9).stepKbps, 500u);
  EXPECT_EQ(QualityTableRow(10).stepKbps, 300u);
  EXPECT_EQ(QualityTableRow(49).frameRate, 10.0);
  EXPECT_EQ(QualityTableRow(50).frameRate, 15.0);
  EXPECT_EQ(QualityTableRow(89).stepKbps, 80u);
  EXPECT_EQ(QualityTableRow(100).stepKbps, 50u);
  // Out-of-range qualities take the nearest row instead of reading past the table.
  EXPECT_EQ(QualityTableRow(-5).stepKbps, 500u);
  EXPECT_EQ(QualityTableRow(250).stepKbps, 50u);
}

TEST(FilterLadder, SingleRungWhenBeginMeetsOrPassesEnd) {
  InputCatalog catalog = CatalogWith(320, 240, true);
  catalog.Settings().rangeBegin = 100;
  catalog.Settings().rangeEnd = 100;
  GenerateSimpleFilters(catalog, kPath);
  EXPECT_EQ(Rungs(catalog), (std::vector<Rung>{{92, 8}}));

  catalog.RemoveAllFilters(kPath);
  catalog.Settings().rangeBegin = 300;  // not yet swapped by the range check
  GenerateSimpleFilters(catalog, kPath);
  EXPECT_EQ(Rungs(catalog), (std::vector<Rung>{{92, 8}}));
}

TEST(FilterLadder, AudioRatesByTotal) {
  EXPECT_EQ(AudioRatesForTotal(47).bitRateKbps, 0);
  EXPECT_EQ(AudioRatesForTotal(47).sampleRate, 0);
  EXPECT_EQ(AudioRatesForTotal(48).bitRateKbps, 8);
  EXPECT_EQ(AudioRatesForTotal(127).bitRateKbps, 8);
  EXPECT_EQ(AudioRatesForTotal(128).bitRateKbps, 16);
  EXPECT_EQ(AudioRatesForTotal(899).bitRateKbps, 16);
  EXPECT_EQ(AudioRatesForTotal(900).bitRateKbps, 32);
  EXPECT_EQ(AudioRatesForTotal(900).sampleRate, 8000);
}

TEST(FilterLadder, FileWithoutAudioGetsNoAudioButLosesTheAudioShare) {
  InputCatalog catalog = CatalogWith(320, 240, false);
  OutputFilter* f = MakeFilter(catalog, kPath, 218, 15.0, 1, 1);
  EXPECT_EQ(f->audioChannels, 0);
  EXPECT_EQ(f->audioSampleRate, 0);
  EXPECT_EQ(f->audioBitRate, 0);
  EXPECT_EQ(f->volume, 0.0f);
  EXPECT_EQ(f->videoBitRate, 202);
}

TEST(FilterLadder, FrameSizeIsCappedAndRoundedTo16) {
  InputCatalog catalog = CatalogWith(640, 480, true);
  OutputFilter* f = MakeFilter(catalog, kPath, 218, 15.0, 1, 1);
  EXPECT_EQ(f->width, 240);
  EXPECT_EQ(f->height, 176);  // 240 / (640/480) = 180, rounded to 176

  InputCatalog small = CatalogWith(160, 120, true);
  f = MakeFilter(small, kPath, 218, 15.0, 1, 1);
  EXPECT_EQ(f->width, 160);  // never enlarged
  EXPECT_EQ(f->height, 128);
}

TEST(FilterLadder, MakeFilterCopiesPerFileOptionsAndAppends) {
  InputCatalog catalog = CatalogWith(320, 240, true);
  FileOptions& options = catalog.MutableOptions(kPath);
  options.volume = 1.3f;
  options.beginTime = 2.5;
  options.endTime = 7.0;
  options.cropBottom = 1;
  options.cropLeft = 2;
  options.cropRight = 3;
  options.cropTop = 4;
  OutputFilter* first = MakeFilter(catalog, kPath, 100, 10.0, 0, 1);
  OutputFilter* second = MakeFilter(catalog, kPath, 200, 10.0, 1, 0);
  ASSERT_EQ(catalog.FilterCount(kPath), 2u);
  EXPECT_EQ(catalog.FilterAt(kPath, 0), first);
  EXPECT_EQ(catalog.FilterAt(kPath, 1), second);
  EXPECT_FLOAT_EQ(first->volume, 1.3f);
  EXPECT_EQ(first->beginTime, 2.5);
  EXPECT_EQ(first->endTime, 7.0);
  EXPECT_EQ(first->cropBottom, 1);
  EXPECT_EQ(first->cropLeft, 2);
  EXPECT_EQ(first->cropRight, 3);
  EXPECT_EQ(first->cropTop, 4);
  EXPECT_EQ(first->audioOn, 0);
  EXPECT_EQ(first->videoOn, 1);
  EXPECT_EQ(second->audioOn, 1);
  EXPECT_EQ(second->videoOn, 0);
}

TEST(FilterLadder, CapFrameSizeBands) {
  struct Case {
    double fps;
    int video;
    int width;
  };
  // Source 1000x500: the cap is the width, the height half of it.
  const Case cases[] = {
      {7.0, 79, 120},  {9.99, 80, 180}, {10.0, 149, 180}, {10.0, 150, 240}, {7.0, 229, 220},
      {14.9, 230, 300}, {15.0, 399, 320}, {17.9, 400, 400}, {18.0, 699, 400}, {7.0, 700, 720},
      {10.0, 900, 600}, {15.0, 900, 500}, {29.9, 900, 450}, {18.0, 0, 140},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "fps " << c.fps << " video " << c.video);
    EXPECT_EQ(CapFrameSize(c.fps, c.video, 1000, 500), (FrameSize{c.width, c.width / 2}));
  }
  // Outside the bands there is no cap.
  EXPECT_EQ(CapFrameSize(6.99, 200, 1000, 500), (FrameSize{1000, 500}));
  EXPECT_EQ(CapFrameSize(30.0, 200, 1000, 500), (FrameSize{1000, 500}));
  EXPECT_EQ(CapFrameSize(15.0, 901, 1000, 500), (FrameSize{1000, 500}));
  // A width at the cap keeps the source size; no height means no aspect ratio.
  EXPECT_EQ(CapFrameSize(15.0, 200, 240, 1000), (FrameSize{240, 1000}));
  EXPECT_EQ(CapFrameSize(15.0, 200, 1000, 0), (FrameSize{1000, 0}));
  // The height is truncated, not rounded.
  EXPECT_EQ(CapFrameSize(15.0, 200, 700, 301), (FrameSize{240, 103}));
}

TEST(FilterLadder, RoundTo16) {
  const std::pair<int, int> cases[] = {{0, 0},     {1, 16},    {7, 16},    {8, 16},
                                       {15, 16},   {16, 16},   {23, 16},   {24, 32},
                                       {120, 128}, {180, 176}, {184, 192}, {240, 240}};
  for (auto [in, out] : cases) EXPECT_EQ(RoundTo16(in), out) << in;
}

TEST(FilterLadder, RegenerateLeavesCustomListsAlone) {
  InputCatalog catalog = CatalogWith(320, 240, true);
  const std::string other = "/in/other.avi";
  catalog.MutableFacts(other) = catalog.Facts(kPath);
  catalog.AddInputPath(other);
  GenerateSimpleFilters(catalog, kPath);
  GenerateSimpleFilters(catalog, other);
  catalog.SetCustomFilters(other, true);
  catalog.FilterAt(other, 0)->videoBitRate = 77;  // a hand edit

  catalog.Settings().rangeBegin = 100;
  catalog.Settings().rangeEnd = 100;
  RegenerateSimpleFilters(catalog);

  EXPECT_EQ(Rungs(catalog, kPath), (std::vector<Rung>{{92, 8}}));
  EXPECT_EQ(catalog.FilterCount(other), 3u);
  EXPECT_EQ(catalog.FilterAt(other, 0)->videoBitRate, 77);
}

// One file: a refresh leaves a hand-edited list alone, a restore replaces
// it with the ladder and lets later refreshes reach it again.
TEST(FilterLadder, RestoreMakesAHandEditedListTheLadderAgain) {
  InputCatalog catalog = CatalogWith(320, 240, true);
  GenerateSimpleFilters(catalog, kPath);
  catalog.SetCustomFilters(kPath, true);
  catalog.FilterAt(kPath, 0)->videoBitRate = 77;  // a hand edit
  catalog.Settings().rangeBegin = 100;
  catalog.Settings().rangeEnd = 100;

  RefreshSimpleFilters(catalog, kPath);
  EXPECT_EQ(catalog.FilterCount(kPath), 3u);
  EXPECT_EQ(catalog.FilterAt(kPath, 0)->videoBitRate, 77);

  RestoreSimpleFilters(catalog, kPath);
  EXPECT_FALSE(catalog.IsCustomFilters(kPath));
  EXPECT_EQ(Rungs(catalog, kPath), (std::vector<Rung>{{92, 8}}));

  catalog.MutableOptions(kPath).cropTop = 6;
  RefreshSimpleFilters(catalog, kPath);
  ASSERT_EQ(catalog.FilterCount(kPath), 1u);
  EXPECT_EQ(catalog.FilterAt(kPath, 0)->cropTop, 6);
}

}  // namespace
}  // namespace zq48

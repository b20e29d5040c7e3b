#include "catalog/input_catalog.h"

#include <gtest/gtest.h>

namespace zq48 {
namespace {

TEST(InputCatalog, SnapshotIsDeepAndIndependent) {
  InputCatalog catalog;
  const std::string path = "/in/a.avi";
  catalog.AddInputPath(path);
  AudioFormat format;
  format.subtype = "pcm_s16le";
  format.wave.channels = 2;
  format.wave.samplesPerSec = 44100;
  catalog.MutableFacts(path).audioFormat = format;
  OutputFilter filter;
  filter.videoBitRate = 100;
  catalog.AddFilter(path, filter);
  catalog.SetCustomFilters(path, true);
  catalog.Settings().setDestinationFolder("/out");

  InputCatalog snapshot = catalog;
  // Later edits to the original never reach the snapshot.
  catalog.FilterAt(path, 0)->videoBitRate = 999;
  catalog.MutableFacts(path).audioFormat->wave.channels = 1;
  catalog.AddFilter(path, filter);
  catalog.Settings().rangeEnd = 900;
  catalog.Forget(path);

  ASSERT_EQ(snapshot.InputPathCount(), 1u);
  EXPECT_EQ(snapshot.InputPathAt(0), path);
  ASSERT_EQ(snapshot.FilterCount(path), 1u);
  EXPECT_EQ(snapshot.FilterAt(path, 0)->videoBitRate, 100);
  EXPECT_NE(snapshot.FilterAt(path, 0), catalog.FilterAt(path, 0));
  EXPECT_EQ(snapshot.Facts(path).audioFormat->wave.channels, 2);
  EXPECT_TRUE(snapshot.IsCustomFilters(path));
  EXPECT_EQ(snapshot.Settings().rangeEnd, kDefaultRangeEnd);
  EXPECT_EQ(snapshot.Settings().destinationFolder(), "/out/");
}

TEST(InputCatalog, FilterPointersStayValidAndRemoveDeletesTheOneGiven) {
  InputCatalog catalog;
  const std::string path = "/in/a.avi";
  OutputFilter filter;
  std::vector<OutputFilter*> added;
  for (int rate = 1; rate <= 20; ++rate) {
    filter.videoBitRate = rate;
    added.push_back(catalog.AddFilter(path, filter));
  }
  EXPECT_EQ(added[0]->videoBitRate, 1);  // still valid after many appends
  catalog.RemoveFilter(path, added[1]);
  ASSERT_EQ(catalog.FilterCount(path), 19u);
  EXPECT_EQ(catalog.FilterAt(path, 1)->videoBitRate, 3);
  EXPECT_EQ(catalog.FilterAt(path, 19), nullptr);
  // A filter of another path is not removed from this one.
  OutputFilter* foreign = catalog.AddFilter("/in/b.avi", filter);
  catalog.RemoveFilter(path, foreign);
  EXPECT_EQ(catalog.FilterCount("/in/b.avi"), 1u);
  catalog.RemoveAllFilters(path);
  EXPECT_EQ(catalog.FilterCount(path), 0u);
}

TEST(InputCatalog, UnknownPathsReadAsDefaultsAndForgetDropsEverything) {
  InputCatalog catalog;
  EXPECT_FALSE(catalog.Contains("/nowhere"));
  EXPECT_EQ(catalog.Facts("/nowhere"), MediaFacts{});
  EXPECT_EQ(catalog.Options("/nowhere").volume, 1.0f);
  EXPECT_EQ(catalog.FilterCount("/nowhere"), 0u);
  EXPECT_EQ(catalog.FilterAt("/nowhere", 0), nullptr);
  EXPECT_FALSE(catalog.IsCustomFilters("/nowhere"));
  EXPECT_FALSE(catalog.Contains("/nowhere"));  // reading created nothing

  for (const char* p : {"/in/b.avi", "/in/a.avi", "/in/c.avi", "/in/a.avi"}) catalog.AddInputPath(p);
  catalog.MutableFacts("/in/a.avi").width = 320;
  catalog.AddFilter("/in/a.avi", OutputFilter{});
  ASSERT_EQ(catalog.InputPathCount(), 3u);  // insertion order, no duplicates
  EXPECT_EQ(catalog.InputPathAt(0), "/in/b.avi");
  EXPECT_EQ(catalog.InputPathAt(1), "/in/a.avi");

  catalog.Forget("/in/a.avi");
  EXPECT_EQ(catalog.InputPaths(), (std::vector<std::string>{"/in/b.avi", "/in/c.avi"}));
  EXPECT_EQ(catalog.Facts("/in/a.avi").width, 0);
  EXPECT_EQ(catalog.FilterCount("/in/a.avi"), 0u);
}

TEST(EncodeSettings, DestinationFolderAlwaysEndsWithSlash) {
  EncodeSettings settings;
  EXPECT_EQ(settings.destinationFolder(), "");
  settings.setDestinationFolder("/out");
  EXPECT_EQ(settings.destinationFolder(), "/out/");
  settings.setDestinationFolder("/out/");
  EXPECT_EQ(settings.destinationFolder(), "/out/");
  settings.setDestinationFolder("");
  EXPECT_EQ(settings.destinationFolder(), "");
  EXPECT_EQ(settings.rangeBegin, 48u);
  EXPECT_EQ(settings.rangeEnd, 350u);
  EXPECT_EQ(settings.quality, 50);
}

}  // namespace
}  // namespace zq48

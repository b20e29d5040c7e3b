#include "core/settings_store.h"

#include <gtest/gtest.h>

namespace zq48 {
namespace {

TEST(MemorySettingsStore, EmptyTextNeverBlanksAStoredValue) {
  MemorySettingsStore store;
  EXPECT_TRUE(store.WriteSettingString("/out/", settings::kPathDest, settings::kRootSection));
  EXPECT_FALSE(store.WriteSettingString("", settings::kPathDest, settings::kRootSection));
  EXPECT_EQ(store.ReadSettingString(settings::kPathDest, settings::kRootSection), "/out/");
}

TEST(MemorySettingsStore, SectionsAndTypesAreKeptApart) {
  MemorySettingsStore store;
  EXPECT_EQ(store.ReadSettingInt(settings::kSliderQuality, settings::kFilterSection), std::nullopt);
  EXPECT_EQ(store.ReadSettingString(settings::kPathInput, settings::kRootSection), "");

  EXPECT_TRUE(store.WriteSettingInt(70, settings::kSliderQuality, settings::kFilterSection));
  EXPECT_EQ(store.ReadSettingInt(settings::kSliderQuality, settings::kFilterSection), 70);
  // The same value name in another section is another value.
  EXPECT_EQ(store.ReadSettingInt(settings::kSliderQuality, settings::kRootSection), std::nullopt);
  // A string is not read back as an integer, nor the other way round.
  store.WriteSettingString("abc", "Mixed", settings::kRootSection);
  EXPECT_EQ(store.ReadSettingInt("Mixed", settings::kRootSection), std::nullopt);
  EXPECT_EQ(store.ReadSettingString(settings::kSliderQuality, settings::kFilterSection), "");
  // Negative and extreme 32-bit values survive.
  store.WriteSettingInt(INT32_MIN, "Low", "Other");
  EXPECT_EQ(store.ReadSettingInt("Low", "Other"), INT32_MIN);
}

}  // namespace
}  // namespace zq48

#include "encode/settings_checks.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>

#include "support/recording_notifier.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

using testing::RecordingNotifier;
using testing::TempDir;
namespace fs = std::filesystem;

TEST(RangeCheck, RefusesValuesOutsideTheLimits) {
  struct Case {
    std::uint32_t begin, end;
    const char* message;
  };
  const Case cases[] = {
      {47, 350, "Range begin must be more 48 and less 900."},
      {901, 350, "Range begin must be more 48 and less 900."},
      {48, 47, "Range end must be more 48 and less 900."},
      {48, 901, "Range end must be more 48 and less 900."},
      {0, 0, "Range begin must be more 48 and less 900."},  // begin is checked first
  };
  for (const Case& c : cases) {
    RecordingNotifier notifier;
    EncodeSettings settings;
    settings.rangeBegin = c.begin;
    settings.rangeEnd = c.end;
    EXPECT_FALSE(CheckRange(settings, notifier).ok);
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{c.message});
    EXPECT_EQ(settings.rangeBegin, c.begin);  // nothing changed on refusal
  }
}

TEST(RangeCheck, SwapsAnInvertedRangeInsteadOfRefusingIt) {
  RecordingNotifier notifier;
  EncodeSettings settings;
  settings.rangeBegin = 900;
  settings.rangeEnd = 48;
  RangeCheck check = CheckRange(settings, notifier);
  EXPECT_TRUE(check.ok);
  EXPECT_TRUE(check.swapped);
  EXPECT_EQ(settings.rangeBegin, 48u);
  EXPECT_EQ(settings.rangeEnd, 900u);
  EXPECT_TRUE(notifier.texts().empty());

  check = CheckRange(settings, notifier);
  EXPECT_TRUE(check.ok);
  EXPECT_FALSE(check.swapped);
}

class FolderCheck : public ::testing::Test {
 protected:
  TempDir dir_;
  EncodeSettings settings_;
  MemorySettingsStore store_;
  RecordingNotifier notifier_;

  std::string StoredFolder() {
    return store_.ReadSettingString(settings::kPathDest, settings::kRootSection);
  }
};

TEST_F(FolderCheck, ExistingFolderIsNormalisedStoredAndPersisted) {
  std::string typed = dir_.path() + "//sub/";
  fs::create_directory(dir_.path() + "/sub");
  auto folder = CheckDestinationFolder(typed, settings_, store_, notifier_);
  ASSERT_TRUE(folder);
  EXPECT_EQ(*folder, dir_.path() + "/sub/");
  EXPECT_EQ(settings_.destinationFolder(), *folder);
  EXPECT_EQ(StoredFolder(), *folder);
  EXPECT_TRUE(notifier_.texts().empty());
  EXPECT_TRUE(notifier_.questions().empty());

  EXPECT_EQ(CheckDestinationFolder("/", settings_, store_, notifier_), "/");
}

TEST_F(FolderCheck, MissingFolderIsCreatedOnlyWhenTheUserAgrees) {
  std::string typed = dir_.path() + "/a/b/c/";
  std::string shown = dir_.path() + "/a/b/c";
  notifier_.set_answer(false);
  EXPECT_FALSE(CheckDestinationFolder(typed, settings_, store_, notifier_));
  ASSERT_EQ(notifier_.questions().size(), 1u);
  EXPECT_EQ(notifier_.questions()[0].text,
            shown + "\nThis folder does not exist.\n\nDo you want to create it?");
  EXPECT_FALSE(fs::exists(shown));
  EXPECT_EQ(StoredFolder(), "");

  notifier_.set_answer(true);
  EXPECT_EQ(CheckDestinationFolder(typed, settings_, store_, notifier_), shown + "/");
  EXPECT_TRUE(fs::is_directory(shown));
  EXPECT_EQ(StoredFolder(), shown + "/");
}

TEST_F(FolderCheck, FilesAndUncreatableFoldersAreRefused) {
  std::string file = dir_.File("plain.txt");
  std::ofstream(file) << "x";
  EXPECT_FALSE(CheckDestinationFolder(file + "/", settings_, store_, notifier_));
  EXPECT_FALSE(CheckDestinationFolder(file + "/sub", settings_, store_, notifier_));
  EXPECT_FALSE(CheckDestinationFolder("", settings_, store_, notifier_));
  EXPECT_EQ(notifier_.texts(),
            (std::vector<std::string>{file + "\nThis is a file not a directory.",
                                      "You do not have permission\nto create this folder.",
                                      "\nThis is not a valid folder."}));
  EXPECT_EQ(settings_.destinationFolder(), "");
  EXPECT_EQ(StoredFolder(), "");
}

// A catalog with two listed files of different sizes.
InputCatalog TwoFiles() {
  InputCatalog catalog;
  catalog.AddInputPath("/in/wide.avi");
  catalog.MutableFacts("/in/wide.avi").width = 640;
  catalog.MutableFacts("/in/wide.avi").height = 480;
  catalog.AddInputPath("/in/small.avi");
  catalog.MutableFacts("/in/small.avi").width = 160;
  catalog.MutableFacts("/in/small.avi").height = 120;
  return catalog;
}

TEST(TimeRangeAndCropCheck, ReportsTheFirstFailingCheckInOrder) {
  const InputCatalog catalog = TwoFiles();
  struct Case {
    RangeAndCrop values;
    const char* message;
  };
  const Case cases[] = {
      {{-1, -2, 0, 0, 0, 0}, "Begin time must be less than end time."},
      {{-1, 5, -1, 0, 0, 0}, "Begin offset must be non-negative value."},
      {{0, 5, -1, -1, -1, -1}, "Bottom offset must be non-negative value."},
      {{0, 5, -1, -1, -1, 0}, "Left offset must be non-negative value."},
      {{0, 5, 0, -1, -1, 0}, "Right offset must be non-negative value."},
      {{0, 5, 0, 0, -1, 0}, "Top offset must be non-negative value."},
      // The smaller file decides: 80 + 80 is its whole width.
      {{0, 5, 80, 80, 60, 60}, "Cropping left plus right must be less than width of film."},
      {{0, 5, 79, 80, 60, 60}, "Cropping top plus bottom must be less than height of film."},
      // Sums that would overflow 32 bits are still far too large.
      {{0, 5, INT_MAX, INT_MAX, 0, 0}, "Cropping left plus right must be less than width of film."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ValidateTimeRangeAndCrop(c.values, catalog), std::optional<std::string>(c.message))
        << c.message;
  }
  EXPECT_EQ(ValidateTimeRangeAndCrop({0, 5, 79, 80, 59, 60}, catalog), std::nullopt);
  EXPECT_EQ(ValidateTimeRangeAndCrop({3, 3, 0, 0, 0, 0}, catalog), std::nullopt);
}

}  // namespace
}  // namespace zq48

// Files that appear under their final name only when whole.

#include "container/whole_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/test_media.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::size_t FilesIn(const std::string& dir) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(WholeFile, OnlyACommittedFileReplacesTheFinalOne) {
  testing::TempDir dir;
  const std::string name = dir.File("page.html");
  std::ofstream(name) << "earlier";
  {
    std::optional<WholeFile> f = WholeFile::Create(name);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->Write("half of a new"));
    EXPECT_EQ(Read(name), "earlier");  // nothing shows before the commit
  }  // abandoned: the earlier file stays, the temporary one is gone
  EXPECT_EQ(Read(name), "earlier");
  EXPECT_EQ(FilesIn(dir.path()), 1u);

  std::optional<WholeFile> f = WholeFile::Create(name);
  ASSERT_TRUE(f);
  ASSERT_TRUE(f->Write("whole new page"));
  ASSERT_TRUE(f->Commit());
  EXPECT_EQ(Read(name), "whole new page");
  EXPECT_EQ(FilesIn(dir.path()), 1u);
  EXPECT_FALSE(f->Commit());  // once
}

// Two writers of one name (two encoders writing the archive): each writes a
// file of its own, and the final name always holds one of them whole.
TEST(WholeFile, TwoWritersOfOneNameNeverMixTheirBytes) {
  testing::TempDir dir;
  const std::string name = dir.File("zqmPlayer.jar");
  std::optional<WholeFile> a = WholeFile::Create(name), b = WholeFile::Create(name);
  ASSERT_TRUE(a && b);
  const std::string first(100000, 'a'), second(100000, 'b');
  ASSERT_TRUE(a->Write(first.substr(0, 50000)));
  ASSERT_TRUE(b->Write(second));
  ASSERT_TRUE(a->Write(first.substr(50000)));
  ASSERT_TRUE(b->Commit());
  EXPECT_EQ(Read(name), second);
  ASSERT_TRUE(a->Commit());
  EXPECT_EQ(Read(name), first);
  EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(WholeFile, AFolderThatCannotTakeTheFileGivesNothing) {
  EXPECT_FALSE(WholeFile::Create("/nonexistent-folder/page.html"));
}

}  // namespace
}  // namespace zq48

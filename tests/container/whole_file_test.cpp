// Files that appear under their final name only when whole.

#include "container/whole_file.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

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

// Writing a file in one go: it replaces the earlier one whole, leaves no
// temporary file, and says which step failed.
TEST(WriteWholeFile, ReplacesTheFileWholeAndNamesTheStepThatFailed) {
  testing::TempDir dir;
  const std::string name = dir.File("x.js");
  std::ofstream(name) << std::string(1000, 'a');
  const std::vector<std::uint8_t> bytes{'n', 'e', 'w'};
  EXPECT_EQ(WriteWholeFile(name, bytes), WholeFileWrite::Written);
  EXPECT_EQ(Read(name), "new");
  EXPECT_EQ(WriteWholeFile(name, std::string_view("text\n")), WholeFileWrite::Written);
  EXPECT_EQ(Read(name), "text\n");
  EXPECT_EQ(FilesIn(dir.path()), 1u);  // no temporary file left behind
  EXPECT_EQ(WriteWholeFile(dir.File("missing/x.js"), bytes), WholeFileWrite::NotCreated);
  EXPECT_EQ(FilesIn(dir.path()), 1u);
}

// A disk that fills up half way: the earlier file stays as it was and the
// half-written temporary one is removed.
TEST(WriteWholeFile, AFullDiskLeavesTheEarlierFile) {
  testing::TempDir dir;
  const std::string disk = dir.File("disk");
  fs::create_directories(disk);
  if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
  struct Unmount {
    std::string where;
    ~Unmount() { ::umount(where.c_str()); }
  } unmount{disk};
  const std::string name = disk + "/page.html";
  std::ofstream(name) << "earlier";
  const std::string big(1 << 20, 'b');
  EXPECT_EQ(WriteWholeFile(name, big), WholeFileWrite::NotWritten);
  EXPECT_EQ(Read(name), "earlier");
  EXPECT_EQ(FilesIn(disk), 1u);
}

}  // namespace
}  // namespace zq48

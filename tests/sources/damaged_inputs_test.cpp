// Damaged inputs never crash or hang an encode: mutated copies of generated
// files of every kind (bytes flipped, cut short, blocks replaced) each end,
// within a time limit, in a package or a message, never in a signal.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "support/test_media.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

Bytes Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void Write(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// One of three damages, chosen and placed by the seed.
Bytes Mutate(Bytes bytes, std::mt19937& random) {
  std::uniform_int_distribution<std::size_t> at(0, bytes.size() - 1);
  switch (random() % 3) {
    case 0:  // bytes flipped here and there
      for (int i = 0; i < 1 + static_cast<int>(random() % 40); ++i) bytes[at(random)] ^= static_cast<char>(1 + random() % 255);
      break;
    case 1:  // cut short
      bytes.resize(at(random));
      break;
    default: {  // a block replaced by noise
      const std::size_t from = at(random), length = std::min<std::size_t>(bytes.size() - from, 64 + random() % 4096);
      for (std::size_t i = 0; i < length; ++i) bytes[from + i] = static_cast<char>(random());
    }
  }
  return bytes;
}

TEST(DamagedInputs, MutatedFilesEndInAPackageOrAMessage) {
  testing::TempDir dir;
  const testing::ClipSpec clip{.width = 96, .height = 64, .seconds = 1.0};
  const std::vector<std::string> sources = {dir.File("s.avi"), dir.File("s.mpg"), dir.File("s.mp4"), dir.File("s.mov")};
  testing::WriteAvi(sources[0], clip);
  testing::WriteMpegPs(sources[1], clip);
  testing::WriteMp4(sources[2], clip);
  testing::WriteMovie(sources[3], clip);
  std::mt19937 random(20261208);
  constexpr int kPerKind = 80;  // 320 damaged files in all
  for (const std::string& source : sources) {
    const Bytes original = Read(source);
    // A batch of mutated copies in one run, as a night's batch would meet them.
    std::string files;
    for (int i = 0; i < kPerKind; ++i) {
      const std::string copy = dir.File("m" + std::to_string(i) + fs::path(source).extension().string());
      Write(copy, Mutate(original, random));
      files += " '" + copy + "'";
    }
    const std::string out = dir.File("out" + fs::path(source).extension().string());
    const std::string run = "timeout 240 " + std::string(ZQ48ENC_PATH) + " --range-begin 100 --range-end 100 -o '" +
                            out + "'" + files + " >/dev/null 2>'" + dir.File("err") + "'";
    const int raw = std::system(run.c_str());
    ASSERT_TRUE(WIFEXITED(raw)) << source;
    const int status = WEXITSTATUS(raw);
    EXPECT_TRUE(status == 0 || status == 1) << source << " ended with " << status << " (124: hung)";
    if (status == 1) EXPECT_FALSE(Read(dir.File("err")).empty()) << source;
  }
}

}  // namespace
}  // namespace zq48

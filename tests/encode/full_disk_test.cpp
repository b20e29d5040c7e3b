// A destination that fills up while two encoders write into it: whatever
// carries a final name is whole, every failure has its message, and a
// read-only destination is refused at once.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>

#include "container/stream_headers.h"
#include "container/metafile.h"
#include "encode/package/package_resources.h"
#include "support/elementary_decoder.h"
#include "support/test_media.h"
#include "support/video_decode.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A tmpfs of a few hundred kilobytes, mounted for the test (needs root, as CI has).
class SmallDisk {
 public:
  SmallDisk(const std::string& where, int kilobytes, bool readOnly = false) : where_(where) {
    fs::create_directories(where);
    const std::string options = "size=" + std::to_string(kilobytes) + "k" + (readOnly ? ",ro" : "");
    mounted_ = ::mount("tmpfs", where.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, options.c_str()) == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount(where_.c_str());
  }
  bool mounted() const { return mounted_; }

 private:
  std::string where_;
  bool mounted_ = false;
};

int Status(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1; }

void ExpectWholeStream(const fs::path& path) {
  SCOPED_TRACE(path.string());
  const std::string inspect = std::string(ZQ48ENC_PATH) + " --inspect '" + path.string() + "' >/dev/null 2>&1";
  EXPECT_EQ(Status(std::system(inspect.c_str())), 0);
  Bytes b = ReadBytes(path);
  const bool video = path.string().ends_with("bps.video.zq48");
  const std::size_t headers = video ? kVideoHeadersSize : kAudioHeadersSize;
  ASSERT_GT(b.size(), headers);
  const Bytes payload(b.begin() + headers, b.end());
  if (video) {
    HeaderBytes h1{}, h2{};
    std::copy_n(b.begin(), kHeaderSize, h1.begin());
    std::copy_n(b.begin() + kHeaderSize, kHeaderSize, h2.begin());
    const double seconds = DecodeFileOutput(h1).durationUs / 1e6, fps = DecodeVideo(h2).frameRateX1e6 / 1e6;
    testing::DecodedVideo decoded = testing::DecodeMpeg4(payload);
    EXPECT_EQ(decoded.errors, 0);
    EXPECT_NEAR(static_cast<double>(decoded.pictures.size()), seconds * fps, 2.0);  // its whole duration
  } else {
    int frames = 0;
    EXPECT_EQ(testing::DecodeElementaryStream(AV_CODEC_ID_MP3, payload, nullptr, [&](const AVFrame&) { ++frames; }), 0);
    EXPECT_GT(frames, 0);
  }
}

void ExpectNothingHalfWritten(const std::string& disk) {
  for (const auto& e : fs::directory_iterator(disk)) {
    const std::string name = e.path().filename().string();
    SCOPED_TRACE(name);
    EXPECT_EQ(name.find(".part-"), std::string::npos);  // no temporary file is left
    if (name.ends_with("bps.video.zq48") || name.ends_with("bps.audio.zq48")) ExpectWholeStream(e.path());
    if (name.ends_with(".html")) {
      const Bytes page = ReadBytes(e.path());
      const std::string text(page.begin(), page.end());
      EXPECT_TRUE(text.ends_with("</html>") || text.ends_with("</html>\n")) << text.size();
    }
    if (name.ends_with(".meta.zq48")) {
      std::string problem;
      std::optional<Metafile> meta = ReadMetafile(e.path().string(), &problem);
      ASSERT_TRUE(meta) << problem;
      const std::string base = name.substr(0, name.size() - std::string(".meta.zq48").size());
      for (std::uint32_t rate : meta->videoRates)
        EXPECT_TRUE(fs::exists(fs::path(disk) / (base + "_" + std::to_string(rate) + "bps.video.zq48"))) << rate;
      for (std::uint32_t rate : meta->audioRates)
        EXPECT_TRUE(fs::exists(fs::path(disk) / (base + "_" + std::to_string(rate) + "bps.audio.zq48"))) << rate;
    }
    for (PackageResource r : {PackageResource::PlayerArchive, PackageResource::ButtonImage, PackageResource::WebPlayer}) {
      if (name != ResourceFileName(r)) continue;
      const std::span<const std::uint8_t> expected = ResourceBytes(r);
      EXPECT_EQ(ReadBytes(e.path()), Bytes(expected.begin(), expected.end()));
    }
  }
}

TEST(FullDisk, NothingUnderAFinalNameIsIncomplete) {
  testing::TempDir dir;
  const std::string a = dir.File("a.avi"), b = dir.File("b.avi");
  const testing::ClipSpec clip{.width = 320, .height = 240, .seconds = 3.0};
  testing::WriteAvi(a, clip);
  testing::WriteAvi(b, clip);
  bool failedSomewhere = false;
  for (int kilobytes : {300, 700, 1200}) {
    SCOPED_TRACE(kilobytes);
    const std::string disk = dir.File("disk" + std::to_string(kilobytes));
    SmallDisk small(disk, kilobytes);
    if (!small.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs (needs root)";
    // Two encoders at once: each finds room for its next variant, and
    // together they still run out of it half-way.
    const std::string run = "bash -c \"" + std::string(ZQ48ENC_PATH) + " -o '" + disk + "' '" + a + "' 2>'" +
                            dir.File("ea") + "' & pa=\\$!; " + ZQ48ENC_PATH + " -o '" + disk + "' '" + b + "' 2>'" +
                            dir.File("eb") + "'; sb=\\$?; wait \\$pa; sa=\\$?; exit \\$(( sa > sb ? sa : sb ))\"";
    const int status = Status(std::system(run.c_str()));
    ExpectNothingHalfWritten(disk);
    const Bytes ea = ReadBytes(dir.File("ea")), eb = ReadBytes(dir.File("eb"));
    if (status != 0) {
      failedSomewhere = true;
      EXPECT_EQ(status, 1);
      EXPECT_FALSE(ea.empty() && eb.empty());  // a failure has its message
    }
  }
  EXPECT_TRUE(failedSomewhere);
}

TEST(FullDisk, AReadOnlyDestinationIsRefusedClearly) {
  testing::TempDir dir;
  const std::string clip = dir.File("clip.avi"), disk = dir.File("ro");
  testing::WriteAvi(clip, testing::ClipSpec{.seconds = 1.0});
  SmallDisk small(disk, 100, true);
  if (!small.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs (needs root)";
  const std::string run = std::string(ZQ48ENC_PATH) + " -o '" + disk + "' '" + clip + "' 2>'" + dir.File("err") + "'";
  EXPECT_NE(Status(std::system(run.c_str())), 0);
  const Bytes err = ReadBytes(dir.File("err"));
  EXPECT_NE(std::string(err.begin(), err.end()).find("read-only"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(disk));
}

}  // namespace
}  // namespace zq48

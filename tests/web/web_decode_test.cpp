// The web player's video decoder, run headless by Node.js ("node
// resources/web/decode.mjs"), against FFmpeg's decoder of the same streams:
// packages from zq48enc at every frame rate of the ladder, hand-made streams
// of sizes the ladder never makes, and damaged or incomplete packages.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>

#include "web/web_package.h"

namespace zq48::testing {
namespace {

constexpr std::size_t kVideoHeaders = 24;

// The web decode of the pair this bandwidth buys against FFmpeg, picture by picture.
void ExpectDecodesLikeFfmpeg(const std::string& folder, const std::string& base, const std::string& target,
                             const VariantRates& pair, const std::string& outDir) {
  WebDecode got = RunWebDecode(target, outDir, static_cast<long>(pair.total()));
  ASSERT_EQ(got.run.status, 0) << got.run.out << got.run.err;
  EXPECT_FALSE(Has(got.run.err, "zqmPlayer:")) << got.run.err;  // no warning either, timing included
  if (!pair.video) {
    EXPECT_EQ(got.pictures, -1) << got.run.out;
    return;
  }
  int errors = 0;
  YuvPictures reference =
      FfmpegVideo(StreamPayload(folder + "/" + VideoStreamName(base, pair.video), kVideoHeaders), &errors);
  ASSERT_EQ(errors, 0);
  ASSERT_FALSE(reference.pictures.empty());
  EXPECT_EQ(got.width, reference.width);
  EXPECT_EQ(got.height, reference.height);
  EXPECT_EQ(got.pictures, static_cast<int>(reference.pictures.size()));
  YuvPictures mine = ReadYuvFile(outDir + "/video.yuv", reference.width, reference.height);
  ASSERT_EQ(mine.pictures.size(), reference.pictures.size());
  PicturesCompared compared = ComparePictures(reference, mine);
  EXPECT_EQ(compared.differing, 0) << "pictures unlike FFmpeg's; the first: " << compared.first;
  std::printf("[ speed    ] %dx%d: %.0f pictures/s under Node.js\n", got.width, got.height, got.perSecond);
}

// Every frame rate the quality slider gives the ladder, every rung of it.
TEST(WebDecode, EveryLadderRungDecodesLikeFfmpeg) {
  struct Case {
    int quality;
    int width, height;
    int rangeEnd;
  } cases[] = {{0, 176, 144, 200}, {20, 176, 144, 200}, {50, 320, 240, 200}, {80, 176, 144, 200},
               {50, 448, 336, 900}};
  for (const Case& c : cases) {
    SCOPED_TRACE("quality " + std::to_string(c.quality) + ", " + std::to_string(c.width) + "x" +
                 std::to_string(c.height));
    TempDir dir;
    ClipSpec clip;
    clip.width = c.width;
    clip.height = c.height;
    clip.seconds = 2.0;
    std::string out = EncodeWebPackage(dir, clip, c.quality, 100, c.rangeEnd);
    std::vector<VariantRates> pairs = ReadMetafile(out + "/clip.meta.zq48");
    ASSERT_GE(pairs.size(), 2u);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      SCOPED_TRACE("variant " + std::to_string(i + 1));
      ExpectUsesHalfPelAndFourVectors(StreamPayload(out + "/" + VideoStreamName("clip", pairs[i].video), kVideoHeaders));
      ExpectDecodesLikeFfmpeg(out, "clip", out + "/clip.meta.zq48", pairs[i], dir.File("decoded" + std::to_string(i)));
    }
  }
}

// Sizes that are no multiple of 16 (odd ones from FFmpeg's own encoder, which
// also writes DC levels beyond the range), and a variant without pictures.
TEST(WebDecode, OddSizesDecodeLikeFfmpeg) {
  struct Case {
    const char* name;
    HandMadeVideo video;
    bool hasVideo;
  } cases[] = {
      {"99x75", {99, 75, 15, 30, 300000}, true},
      {"63x47 at 10 fps", {63, 47, 10, 20, 150000}, true},
      {"160x120 at 18 fps", {160, 120, 18, 36, 400000}, true},
      {"98x74 at 7 fps", {98, 74, 7, 14, 100000}, true},
      {"sound only", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    HandMadeAudio audio{22050, 2, 32, 2.0};
    WriteHandMadePackage(dir.path(), "film", c.hasVideo ? &c.video : nullptr, &audio);
    std::vector<VariantRates> pairs = ReadMetafile(dir.File("film.meta.zq48"));
    ASSERT_EQ(pairs.size(), 1u);
    ExpectDecodesLikeFfmpeg(dir.path(), "film", dir.File("film.meta.zq48"), pairs[0], dir.File("decoded"));
  }
}

// The colour conversion the player does for every picture it draws:
// studio-range BT.601 in integers (R = (298 (Y - 16) + 409 V' + 128) >> 8 and
// so on, limited to 0..255), chroma covering two by two pixels, at odd sizes
// and into an array that starts off a four-byte boundary.
TEST(WebDecode, ColourConversionIsBt601AtAnySize) {
  TempDir dir;
  const std::string script = dir.File("convert.mjs");
  std::ofstream(script) << "import { loadParts } from '" << ZQ48_WEB_DIR << "/load_parts.mjs';\n"
                        << "import { readFileSync, writeFileSync } from 'node:fs';\n"
                        << "const [w, h, offset] = process.argv.slice(2, 5).map(Number);\n"
                        << "const yuv = readFileSync(process.argv[5]);\n"
                        << "const c = ((w + 1) >> 1) * ((h + 1) >> 1);\n"
                        << "const p = { width: w, height: h, y: yuv.subarray(0, w * h),\n"
                        << "  u: yuv.subarray(w * h, w * h + c), v: yuv.subarray(w * h + c, w * h + 2 * c) };\n"
                        << "const out = new Uint8ClampedArray(w * h * 4 + offset).subarray(offset);\n"
                        << "loadParts(['pictureToRgba']).pictureToRgba(p, out);\n"
                        << "writeFileSync(process.argv[6], out);\n";
  std::uint32_t state = 5;
  for (auto [w, h, offset] : {std::tuple{161, 121, 0}, std::tuple{1, 1, 0}, std::tuple{6, 3, 1}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + ", offset " + std::to_string(offset));
    Bytes yuv(YuvBytes(w, h));
    for (auto& b : yuv) b = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 16);
    WriteBytes(dir.File("in.yuv"), yuv);
    CommandResult run = RunCommand(std::string("'") + ZQ48_NODE + "' " + ShellQuoted(script) + " " + std::to_string(w) +
                                       " " + std::to_string(h) + " " + std::to_string(offset) + " " +
                                       ShellQuoted(dir.File("in.yuv")) + " " + ShellQuoted(dir.File("out.rgba")),
                                   dir.File("node.stderr"));
    ASSERT_EQ(run.status, 0) << run.err;
    Bytes rgba = ReadBytes(dir.File("out.rgba"));
    ASSERT_EQ(rgba.size(), static_cast<std::size_t>(w) * h * 4);
    const int cw = (w + 1) / 2, chroma = cw * ((h + 1) / 2);
    auto limit = [](int v) { return std::clamp(v >> 8, 0, 255); };
    int wrong = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const int l = 298 * (yuv[y * w + x] - 16);
        const int u = yuv[w * h + y / 2 * cw + x / 2] - 128;
        const int v = yuv[w * h + chroma + y / 2 * cw + x / 2] - 128;
        const int expected[] = {limit(l + 409 * v + 128), limit(l - 100 * u - 208 * v + 128), limit(l + 516 * u + 128),
                                255};
        for (int k = 0; k < 4; ++k) wrong += rgba[(y * w + x) * 4 + k] != expected[k];
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

// A damaged or incomplete package: exit status 1 with the reason, no
// JavaScript exception, and what could be decoded still written.
class DamagedWebPackage : public ::testing::Test {
 protected:
  void SetUp() override {
    HandMadeVideo video{112, 80, 15, 45, 300000};
    HandMadeAudio audio{22050, 1, 32, 3.0};
    WriteHandMadePackage(dir_.path(), "film", &video, &audio);
    pair_ = ReadMetafile(dir_.File("film.meta.zq48")).at(0);
    videoFile_ = dir_.File(VideoStreamName("film", pair_.video));
    audioFile_ = dir_.File(AudioStreamName("film", pair_.audio));
    intact_ = RunWebDecode(dir_.File("film.meta.zq48"), dir_.File("intact"));
    ASSERT_EQ(intact_.run.status, 0) << intact_.run.err;
  }

  WebDecode Decode() {
    WebDecode got = RunWebDecode(dir_.File("film.meta.zq48"), dir_.File("damaged"));
    EXPECT_EQ(got.run.status, 1) << got.run.out << got.run.err;
    EXPECT_FALSE(Has(got.run.err, "decoding stopped")) << got.run.err;  // an exception got out
    EXPECT_FALSE(Has(got.run.err, "    at ")) << got.run.err;
    return got;
  }

  // Pseudo-random bytes over count bytes of the stream, from `from` (a fraction of it).
  void Scramble(std::size_t count, double from, std::uint32_t seed) {
    Bytes file = ReadBytes(videoFile_);
    std::size_t at = kVideoHeaders + static_cast<std::size_t>((file.size() - kVideoHeaders) * from);
    for (std::size_t i = at; i < at + count && i < file.size(); ++i) {
      seed = seed * 1103515245u + 12345u;
      file[i] = static_cast<std::uint8_t>(seed >> 16);
    }
    WriteBytes(videoFile_, file);
  }

  TempDir dir_;
  VariantRates pair_;
  std::string videoFile_;
  std::string audioFile_;
  WebDecode intact_;
};

TEST_F(DamagedWebPackage, TruncatedVideoDecodesWhatIsThere) {
  WriteTruncated(videoFile_, dir_.File("cut"), ReadBytes(videoFile_).size() * 6 / 10);
  std::filesystem::rename(dir_.File("cut"), videoFile_);
  WebDecode got = Decode();
  EXPECT_TRUE(Has(got.run.err, "cut short")) << got.run.err;
  EXPECT_GT(got.pictures, 0);
  EXPECT_LT(got.pictures, intact_.pictures);
  EXPECT_EQ(ReadYuvFile(dir_.File("damaged/video.yuv"), got.width, got.height).pictures.size(),
            static_cast<std::size_t>(got.pictures));
}

// Damage in many places: each is reported, the pictures before it are
// untouched, and a damaged picture is a copy of the one before.
TEST_F(DamagedWebPackage, ScrambledVideoIsConcealed) {
  const struct {
    std::size_t count;
    double from;
  } damages[] = {{1500, 0.5}, {40, 0.3}, {200, 0.02}, {5000, 0.1}, {8, 0.7}};
  Bytes original = ReadBytes(videoFile_);
  for (std::uint32_t seed = 1; seed <= 3; ++seed) {
    for (const auto& d : damages) {
      SCOPED_TRACE(std::to_string(d.count) + " bytes at " + std::to_string(d.from) + ", seed " + std::to_string(seed));
      WriteBytes(videoFile_, original);
      Scramble(d.count, d.from, seed);
      WebDecode got = RunWebDecode(dir_.File("film.meta.zq48"), dir_.File("damaged"));
      EXPECT_FALSE(Has(got.run.err, "decoding stopped")) << got.run.err;
      EXPECT_GT(got.pictures, 0);
      if (got.run.status == 0) continue;  // the bytes happened to decode
      EXPECT_TRUE(Has(got.run.err, VideoStreamName("film", pair_.video))) << got.run.err;
    }
  }
  // Pictures before the damage are the intact ones; a concealed one repeats its predecessor.
  WriteBytes(videoFile_, original);
  Scramble(1500, 0.5, 7);
  WebDecode got = Decode();
  YuvPictures intact = ReadYuvFile(dir_.File("intact/video.yuv"), intact_.width, intact_.height);
  YuvPictures damaged = ReadYuvFile(dir_.File("damaged/video.yuv"), got.width, got.height);
  ASSERT_GT(damaged.pictures.size(), 2u);
  EXPECT_EQ(damaged.pictures[0], intact.pictures[0]);
  std::size_t repeats = 0;
  for (std::size_t i = 1; i < damaged.pictures.size(); ++i) repeats += damaged.pictures[i] == damaged.pictures[i - 1];
  EXPECT_GT(repeats, 0u);
}

TEST_F(DamagedWebPackage, GarbageInsteadOfAStreamDecodesWithoutAnException) {
  Bytes file = ReadBytes(videoFile_);
  std::uint32_t state = 99;
  for (std::size_t i = kVideoHeaders; i < file.size(); ++i) {
    state = state * 1103515245u + 12345u;
    // Start code prefixes now and then, so that the splitter cuts units of noise.
    file[i] = (i % 97 < 2) ? 0 : (i % 97 == 2) ? 1 : (i % 97 == 3) ? 0xb6 : static_cast<std::uint8_t>(state >> 16);
  }
  WriteBytes(videoFile_, file);
  WebDecode got = Decode();
  EXPECT_TRUE(Has(got.run.err, VideoStreamName("film", pair_.video))) << got.run.err;
}

TEST_F(DamagedWebPackage, MissingFilesAndOtherFormatsAreNamed) {
  Bytes video = ReadBytes(videoFile_);
  video[0] = 7;  // the format code
  WriteBytes(videoFile_, video);
  EXPECT_TRUE(Has(Decode().run.err, "has format 7"));
  for (const std::string& file : {audioFile_, videoFile_}) {
    std::filesystem::remove(file);
    WebDecode got = Decode();
    EXPECT_TRUE(Has(got.run.err, "cannot find " + std::filesystem::path(file).filename().string())) << got.run.err;
  }
  std::filesystem::remove(dir_.File("film.meta.zq48"));
  EXPECT_TRUE(Has(Decode().run.err, "cannot find film.meta.zq48"));
}

}  // namespace
}  // namespace zq48::testing

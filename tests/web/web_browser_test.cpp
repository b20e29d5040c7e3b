// The package played in a real browser: headless Chromium opens
// "clip.play.html" served over HTTP from 127.0.0.1 (tests/web/browser_play.mjs,
// which drives it through its DevTools pipe and clicks Play on the button
// strip). The pictures it draws are the ones the headless decode gives, in
// order and at the sound's pace; the sound clock advances; nothing lands on
// the console. Over a slow link the player moves to a leaner variant.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "web/web_package.h"

namespace zq48::testing {
namespace {

struct BrowserRun {
  CommandResult run;
  std::map<std::string, std::string> facts;  // "name value" lines
  std::vector<std::string> consoleErrors;
  std::vector<std::string> problems;
  struct Picture {
    int index;
    std::uint32_t fingerprint;
    int variant;
  };
  std::vector<Picture> pictures;
  struct Sample {
    double at, clock;
    int drawn;
  };
  std::vector<Sample> samples;

  double Number(const std::string& name) const {
    auto it = facts.find(name);
    return it == facts.end() ? -1 : std::atof(it->second.c_str());
  }
  std::string Fact(const std::string& name) const {
    auto it = facts.find(name);
    return it == facts.end() ? "" : it->second;
  }
};

bool HaveChromium() { return std::string(ZQ48_CHROMIUM).size() > 0; }

BrowserRun PlayInBrowser(const std::string& folder, const std::string& page, const std::string& options,
                         const std::string& errFile) {
  BrowserRun r;
  r.run = RunCommand(std::string("timeout 58 '") + ZQ48_NODE + "' '" + ZQ48_WEB_TESTS_DIR + "/browser_play.mjs' '" +
                         folder + "' '" + page + "' --chromium '" + ZQ48_CHROMIUM + "' " + options,
                     errFile);
  std::istringstream lines(r.run.out);
  std::string line;
  std::getline(lines, line);  // the JSON line, for people
  while (std::getline(lines, line)) {
    std::size_t space = line.find(' ');
    std::string name = line.substr(0, space);
    std::string value = space == std::string::npos ? "" : line.substr(space + 1);
    if (name == "console_error") {
      r.consoleErrors.push_back(value);
    } else if (name == "problem") {
      r.problems.push_back(value);
    } else if (name == "picture") {
      BrowserRun::Picture p{};
      std::sscanf(value.c_str(), "%d %u %d", &p.index, &p.fingerprint, &p.variant);
      r.pictures.push_back(p);
    } else if (name == "sample") {
      BrowserRun::Sample s{};
      std::sscanf(value.c_str(), "%lf %lf %d", &s.at, &s.clock, &s.drawn);
      r.samples.push_back(s);
    } else {
      r.facts[name] = value;
    }
  }
  return r;
}

// The fingerprints of the pictures the headless decode gives for one variant.
std::vector<std::uint32_t> DecodedFingerprints(const std::string& meta, long bandwidth, const std::string& outDir) {
  WebDecode got = RunWebDecode(meta, outDir, bandwidth);
  EXPECT_EQ(got.run.status, 0) << got.run.err;
  std::vector<std::uint32_t> prints;
  for (const Bytes& p : ReadYuvFile(outDir + "/video.yuv", got.width, got.height).pictures)
    prints.push_back(LumaFingerprint(p, got.width, got.height));
  return prints;
}

TEST(WebBrowser, ThePlayPageDrawsThePicturesAtTheSoundsPace) {
  if (!HaveChromium()) GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
  TempDir dir;
  ClipSpec clip;
  clip.width = 320;
  clip.height = 240;
  clip.seconds = 4.0;
  std::string out = EncodeWebPackage(dir, clip, 50, 100, 350);
  BrowserRun r = PlayInBrowser(out, "clip.play.html", "--seconds 5.5 --screenshot '" + dir.File("shot.png") + "'",
                               dir.File("browser.stderr"));
  ASSERT_EQ(r.run.status, 0) << r.run.out << r.run.err;
  EXPECT_EQ(r.Fact("error"), "-");
  EXPECT_TRUE(r.consoleErrors.empty()) << r.consoleErrors.front();
  EXPECT_TRUE(r.problems.empty()) << r.problems.front();
  EXPECT_EQ(r.Fact("state"), "ended");  // a 4-second film, watched for 5.5 seconds
  EXPECT_EQ(r.Fact("phase"), "end");

  // Over 127.0.0.1 the bandwidth buys the richest variant; its pictures are drawn in order, all of them.
  std::vector<VariantRates> pairs = ReadMetafile(out + "/clip.meta.zq48");
  int variant = static_cast<int>(r.Number("variant"));
  ASSERT_GE(variant, 0);
  ASSERT_LT(variant, static_cast<int>(pairs.size()));
  std::vector<std::uint32_t> decoded =
      DecodedFingerprints(out + "/clip.meta.zq48", static_cast<long>(pairs[variant].total()), dir.File("node"));
  ASSERT_FALSE(decoded.empty());
  EXPECT_GE(r.Number("drawn") + r.Number("dropped"), decoded.size() * 0.9);
  EXPECT_GE(r.Number("drawn"), decoded.size() * 0.5);
  ASSERT_FALSE(r.pictures.empty());
  int last = -1;
  for (const BrowserRun::Picture& p : r.pictures) {
    ASSERT_GE(p.index, 0);
    ASSERT_LT(p.index, static_cast<int>(decoded.size()));
    EXPECT_EQ(p.fingerprint, decoded[p.index]) << "picture " << p.index;
    EXPECT_GT(p.index, last);
    last = p.index;
  }
  EXPECT_EQ(last, static_cast<int>(decoded.size()) - 1);

  // The clock is the sound (Chromium plays to a muted output without a sound device) and keeps pace with the wall.
  EXPECT_EQ(r.Fact("clock_source"), "sound");
  EXPECT_EQ(r.Fact("sound_context"), "running");
  EXPECT_GT(r.Number("sound_seconds"), 3.0);
  EXPECT_NEAR(r.Number("clock_seconds"), 4.0, 0.2);
  ASSERT_GE(r.samples.size(), 4u);
  const BrowserRun::Sample& a = r.samples[1];
  const BrowserRun::Sample& b = r.samples[4];
  EXPECT_NEAR(b.clock - a.clock, b.at - a.at, 0.4);
  EXPECT_GT(b.drawn, a.drawn);
  std::printf("[ speed    ] %dx%d: %.0f pictures/s in Chromium\n", clip.width, clip.height, r.Number("speed"));
}

// The video files come at twice the leanest variant's video rate: the
// richest variant's stream cannot keep up, and after its first seconds the player moves to a leaner one at
// one of its key frames (every 10 seconds in the encoder's streams), whose
// pictures are then those of the leaner stream.
TEST(WebBrowser, ASlowLinkMovesThePicturesToALeanerVariant) {
  if (!HaveChromium()) GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
  TempDir dir;
  ClipSpec clip;
  clip.width = 320;
  clip.height = 240;
  clip.seconds = 13.0;
  std::string out = EncodeWebPackage(dir, clip, 50, 100, 350);
  std::vector<VariantRates> pairs = ReadMetafile(out + "/clip.meta.zq48");
  ASSERT_GE(pairs.size(), 2u);
  std::uint32_t leanest = pairs[0].video;
  for (const VariantRates& p : pairs) leanest = std::min(leanest, p.video);
  BrowserRun r = PlayInBrowser(out, "clip.play.html", "--seconds 18 --rate " + std::to_string(2 * leanest),
                               dir.File("browser.stderr"));
  ASSERT_EQ(r.run.status, 0) << r.run.out << r.run.err;
  EXPECT_TRUE(r.consoleErrors.empty()) << r.consoleErrors.front();
  ASSERT_FALSE(r.pictures.empty());
  int first = r.pictures.front().variant;
  int moved = -1;
  std::vector<BrowserRun::Picture> leaner;
  for (const BrowserRun::Picture& p : r.pictures) {
    if (p.variant != first && moved < 0) moved = p.variant;
    if (moved >= 0) {
      EXPECT_EQ(p.variant, moved);
      leaner.push_back(p);
    }
  }
  ASSERT_GE(moved, 0) << r.run.out;
  EXPECT_LT(pairs[moved].total(), pairs[first].total());
  EXPECT_EQ(leaner.front().index, 10 * 15);  // the key frame at 10 s, at the ladder's 15 fps
  std::vector<std::uint32_t> decoded =
      DecodedFingerprints(out + "/clip.meta.zq48", static_cast<long>(pairs[moved].total()), dir.File("node"));
  for (const BrowserRun::Picture& p : leaner) {
    ASSERT_LT(p.index, static_cast<int>(decoded.size()));
    EXPECT_EQ(p.fingerprint, decoded[p.index]) << "picture " << p.index;
  }
}

}  // namespace
}  // namespace zq48::testing

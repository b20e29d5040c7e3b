// The package played in a real browser: headless Chromium driven through
// puppeteer-core (tests/web/browser_play.mjs, one scenario per test) opens a
// "BASE.play.html" that zq48enc wrote, served over HTTP from 127.0.0.1. The
// scenario makes its own checks (exit status 1 and an "error" line when one
// fails); the pictures it reports are compared here with the headless
// decode's.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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
  struct Picture {
    int index;
    std::uint32_t fingerprint;
    int variant;
  };
  std::vector<Picture> pictures;
  struct Sample {
    double at, clock, video;
    std::string state;
  };
  std::vector<Sample> samples;
  std::vector<std::string> problems;

  double Number(const std::string& name) const {
    auto it = facts.find(name);
    return it == facts.end() ? -1 : std::atof(it->second.c_str());
  }
  std::string Fact(const std::string& name) const {
    auto it = facts.find(name);
    return it == facts.end() ? "" : it->second;
  }
};

BrowserRun PlayInBrowser(const std::string& scenario, const std::string& folder, const std::string& page,
                         const std::string& options, const std::string& errFile, int limitSeconds = 60) {
  BrowserRun r;
  r.run = RunCommand("cd '" + std::string(ZQ48_WEB_TESTS_DIR) + "' && ZQ48_CHROMIUM='" + ZQ48_CHROMIUM +
                         "' timeout " + std::to_string(limitSeconds) + " '" + ZQ48_NODE + "' browser_play.mjs " +
                         scenario + " '" + folder + "' '" + page + "' " + options,
                     errFile);
  std::istringstream lines(r.run.out);
  for (std::string line; std::getline(lines, line);) {
    std::size_t space = line.find(' ');
    std::string name = line.substr(0, space);
    std::string value = space == std::string::npos ? "" : line.substr(space + 1);
    if (name == "picture") {
      BrowserRun::Picture p{};
      std::sscanf(value.c_str(), "%d %u %d", &p.index, &p.fingerprint, &p.variant);
      r.pictures.push_back(p);
    } else if (name == "sample") {
      BrowserRun::Sample s{};
      char state[32] = {0};
      std::sscanf(value.c_str(), "%lf %lf %lf %31s", &s.at, &s.clock, &s.video, state);
      s.state = state;
      r.samples.push_back(s);
    } else if (name == "problem") {
      r.problems.push_back(value);
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

// Every picture drawn is the headless decode's picture of the same number in the same variant.
void ExpectPicturesOfTheDecode(const BrowserRun& r, const std::string& meta, const TempDir& dir) {
  std::vector<VariantRates> pairs = ReadMetafile(meta);
  std::map<int, std::vector<std::uint32_t>> decoded;
  for (const BrowserRun::Picture& p : r.pictures) {
    ASSERT_GE(p.variant, 0);
    ASSERT_LT(p.variant, static_cast<int>(pairs.size()));
    if (!decoded.count(p.variant))
      decoded[p.variant] = DecodedFingerprints(meta, static_cast<long>(pairs[p.variant].total()),
                                               dir.File("node" + std::to_string(p.variant)));
    const std::vector<std::uint32_t>& prints = decoded[p.variant];
    ASSERT_LT(p.index, static_cast<int>(prints.size()));
    EXPECT_EQ(p.fingerprint, prints[p.index]) << "picture " << p.index << " of variant " << p.variant;
  }
}

// Encodes a clip into dir/out with explicit variants (--variant FIELDS each); the base name is "clip".
std::string EncodeVariants(const TempDir& dir, const ClipSpec& clip, const std::vector<std::string>& variants) {
  WriteAvi(dir.File("clip.avi"), clip);
  std::string out = dir.File("out");
  std::filesystem::create_directories(out);
  std::string command = std::string("'") + ZQ48ENC_PATH + "' -o '" + out + "'";
  for (const std::string& v : variants) command += " --variant " + v;
  CommandResult run = RunCommand(command + " '" + dir.File("clip.avi") + "'", dir.File("zq48enc.stderr"));
  EXPECT_EQ(run.status, 0) << run.err;
  return out;
}

ClipSpec SmallClip(double seconds) {
  ClipSpec clip;
  clip.width = 160;
  clip.height = 120;
  clip.seconds = seconds;
  return clip;
}

TEST(WebBrowser, ThePictureFollowsTheSoundsClock) {
  TempDir dir;
  std::string out = EncodeWebPackage(dir, SmallClip(6.0), 50, 100, 350);
  BrowserRun r = PlayInBrowser("play", out, "clip.play.html", "--seconds 4.5", dir.File("browser.stderr"));
  ASSERT_EQ(r.run.status, 0) << r.run.out << r.run.err;
  EXPECT_TRUE(r.problems.empty()) << r.problems.front();
  EXPECT_EQ(r.Fact("clockSource"), "sound");
  EXPECT_EQ(r.Fact("soundContext"), "running");
  int checked = 0;
  for (const BrowserRun::Sample& s : r.samples) {
    if (s.at < 3.0 || s.state != "playing") continue;
    EXPECT_NEAR(s.video, s.clock, 0.1) << "at " << s.at << " s of play";
    ++checked;
  }
  EXPECT_GE(checked, 4);
  // The clock keeps pace with the wall.
  ASSERT_GE(r.samples.size(), 16u);
  const BrowserRun::Sample& a = r.samples[4];
  const BrowserRun::Sample& b = r.samples[15];
  EXPECT_NEAR(b.clock - a.clock, b.at - a.at, 0.3);
  ASSERT_FALSE(r.pictures.empty());
  int last = -1;
  for (const BrowserRun::Picture& p : r.pictures) {
    EXPECT_GT(p.index, last);
    last = p.index;
  }
  ExpectPicturesOfTheDecode(r, out + "/clip.meta.zq48", dir);
}

TEST(WebBrowser, SeekingWhilePausedShowsTheNewPicture) {
  TempDir dir;
  std::string out = EncodeWebPackage(dir, SmallClip(6.0), 50, 100, 350);
  BrowserRun r = PlayInBrowser("seek-paused", out, "clip.play.html", "", dir.File("browser.stderr"));
  ASSERT_EQ(r.run.status, 0) << r.run.out << r.run.err;
  ASSERT_FALSE(r.pictures.empty());
  EXPECT_EQ(r.pictures.back().index, 3 * 15);  // the ladder's 15 fps
  ExpectPicturesOfTheDecode(r, out + "/clip.meta.zq48", dir);
}

TEST(WebBrowser, ASoundOnlyFilmPlaysToItsEnd) {
  TempDir dir;
  std::string out = EncodeVariants(dir, SmallClip(3.0), {"w=160,h=120,fps=15,video=0,audio=16,rate=22050,channels=1"});
  BrowserRun r = PlayInBrowser("sound-only", out, "clip.play.html", "", dir.File("browser.stderr"));
  ASSERT_EQ(r.run.status, 0) << r.run.out << r.run.err;
  EXPECT_NEAR(r.Number("currentTime"), 3.0, 0.3);
}

// The player starts on the top rung (the page's bandwidth says so); the link
// is throttled to half of that rung: it steps down at a key frame of a leaner
// stream while the current stream's pictures go on, and steps back up once
// the throttle is lifted.
TEST(WebBrowser, AThrottledLinkSwitchesDownWithoutAFrozenPictureAndBackUp) {
  TempDir dir;
  ClipSpec clip = SmallClip(70.0);
  std::string out = EncodeWebPackage(dir, clip, 50, 100, 350);
  BrowserRun r = PlayInBrowser("throttle", out, "clip.play.html", "--query bandwidth=50000000",
                               dir.File("browser.stderr"), 90);
  ASSERT_EQ(r.run.status, 0) << r.run.out << r.run.err;
  std::printf("[ switch   ] down after %.1f s; longest still picture while playing %.2f s\n",
              r.Number("switched_down_at"), r.Number("worst_freeze"));
  ExpectPicturesOfTheDecode(r, out + "/clip.meta.zq48", dir);
}

// Twenty minutes of film with tiny pictures and sound (the browser decodes
// sound at its own rate, 48 kHz here: the whole sound decoded at once would
// hold 58 M samples, 230 MB), played at 32 times its pace: the browser's
// memory grows by less than 200 MB.
TEST(WebBrowser, ATwentyMinuteFilmPlaysInBoundedMemory) {
  TempDir dir;
  ClipSpec clip;
  clip.width = 64;
  clip.height = 48;
  clip.fpsNum = 5;
  clip.seconds = 20 * 60;
  clip.sampleRate = 22050;
  std::string out = EncodeVariants(dir, clip, {"w=64,h=48,fps=5,video=20,audio=16,rate=22050,channels=1"});
  BrowserRun r = PlayInBrowser("memory", out, "clip.play.html", "", dir.File("browser.stderr"), 90);
  ASSERT_EQ(r.run.status, 0) << r.run.out << r.run.err;
  std::printf("[ memory   ] %.0f MB before, %.0f MB at the most\n", r.Number("memory_before") / 1048576,
              r.Number("memory_peak") / 1048576);
}

TEST(WebBrowser, OnAPhoneTheFilmSpansTheWidthAndATapPlaysIt) {
  TempDir dir;
  ClipSpec clip = SmallClip(4.0);
  clip.width = 640;
  clip.height = 480;
  std::string out = EncodeVariants(dir, clip, {"w=640,h=480,fps=15,video=200,audio=16,rate=22050,channels=1"});
  BrowserRun r = PlayInBrowser("phone", out, "clip.play.html", "", dir.File("browser.stderr"));
  ASSERT_EQ(r.run.status, 0) << r.run.out << r.run.err;
}

TEST(WebBrowser, TheControlsHaveNamesAndKeys) {
  TempDir dir;
  std::string out = EncodeWebPackage(dir, SmallClip(3.0), 50, 100, 350);
  BrowserRun r = PlayInBrowser("a11y", out, "clip.play.html", "", dir.File("browser.stderr"));
  ASSERT_EQ(r.run.status, 0) << r.run.out << r.run.err;
}

// A file whose name has '#', quotes and '&' makes a package whose page plays
// (its names are percent-encoded in the page's URLs), from a server that
// ignores Range requests as simple ones do.
TEST(WebBrowser, ANameWithHashQuotesAndAmpersandPlays) {
  TempDir dir;
  std::string input = dir.File("a#b \"c\" & d.avi");
  WriteAvi(input, SmallClip(3.0));
  std::string out = dir.File("out");
  std::filesystem::create_directories(out);
  CommandResult enc = RunCommand(std::string("'") + ZQ48ENC_PATH + "' -o '" + out +
                                     "' --range-begin 100 --range-end 200 '" + input + "'",
                                 dir.File("zq48enc.stderr"));
  ASSERT_EQ(enc.status, 0) << enc.err;
  std::string page;
  for (const auto& e : std::filesystem::directory_iterator(out))
    if (e.path().string().ends_with(".play.html")) page = e.path().filename().string();
  ASSERT_FALSE(page.empty());
  BrowserRun r = PlayInBrowser("play", out, page, "--seconds 2 --query norange", dir.File("browser.stderr"));
  ASSERT_EQ(r.run.status, 0) << r.run.out << r.run.err;
  EXPECT_TRUE(r.problems.empty()) << r.problems.front();
  EXPECT_GT(r.pictures.size(), 10u);
}

}  // namespace
}  // namespace zq48::testing

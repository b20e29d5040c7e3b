// The player archive and button strip the engine carries, and the player in
// that archive run headless on a package laid out as the encoder writes it.

#include "encode/package/package_resources.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "container/stream_headers.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TempDir;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text) {
  WriteFile(path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::uint32_t U16(std::span<const std::uint8_t> b, std::size_t at) { return b[at] | b[at + 1] << 8; }
std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) { return U16(b, at) | U16(b, at + 2) << 16; }

void AppendU32(Bytes& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// The names in a zip archive's central directory, found from the end record
// the way an unzipper does.
std::set<std::string> ZipEntryNames(std::span<const std::uint8_t> zip) {
  std::set<std::string> names;
  if (zip.size() < 22) return names;
  std::size_t end = zip.size() - 22;
  while (end > 0 && U32(zip, end) != 0x06054b50) --end;
  if (U32(zip, end) != 0x06054b50) return names;
  std::size_t entries = U16(zip, end + 10);
  std::size_t at = U32(zip, end + 16);
  for (std::size_t i = 0; i < entries && at + 46 <= zip.size() && U32(zip, at) == 0x02014b50; ++i) {
    std::size_t nameLength = U16(zip, at + 28);
    names.emplace(reinterpret_cast<const char*>(&zip[at + 46]), nameLength);
    at += 46 + nameLength + U16(zip, at + 30) + U16(zip, at + 32);
  }
  return names;
}

bool OnPath(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

Result Shell(const std::string& command, const std::string& errFile) {
  Result run;
  FILE* pipe = popen((command + " 2>'" + errFile + "'").c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  Bytes err = ReadFile(errFile);
  run.err.assign(err.begin(), err.end());
  return run;
}

TEST(PackageResources, ButtonStripIsTheCommittedEightyByThirtyTwoGif) {
  auto gif = ResourceBytes(PackageResource::ButtonImage);
  EXPECT_STREQ(ResourceFileName(PackageResource::ButtonImage), "buttons.gif");
  ASSERT_GT(gif.size(), 13u);
  EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
  EXPECT_EQ(U16(gif, 6), 80u);  // logical screen width
  EXPECT_EQ(U16(gif, 8), 32u);  // and height
  EXPECT_EQ(gif.back(), 0x3B) << "a GIF ends with its trailer";
  EXPECT_EQ(Bytes(gif.begin(), gif.end()), ReadFile(ZQ48_RESOURCES_DIR "/buttons.gif"));
}

TEST(PackageResources, GeneratorRedrawsTheCommittedStrip) {
  if (!OnPath("python3")) GTEST_SKIP() << "python3 is not installed";
  TempDir dir;
  std::string redrawn = dir.File("buttons.gif");
  Result run = Shell("python3 '" ZQ48_RESOURCES_DIR "/make_buttons_gif.py' '" + redrawn + "'", dir.File("err"));
  ASSERT_EQ(run.status, 0) << run.err;
  auto gif = ResourceBytes(PackageResource::ButtonImage);
  EXPECT_EQ(ReadFile(redrawn), Bytes(gif.begin(), gif.end()))
      << "buttons.gif no longer matches make_buttons_gif.py: run it and commit both";
}

TEST(PackageResources, PlayerArchiveIsAJarWithTheAppletAndAManifest) {
  auto jar = ResourceBytes(PackageResource::PlayerArchive);
  EXPECT_STREQ(ResourceFileName(PackageResource::PlayerArchive), "zqmPlayer.jar");
  ASSERT_GT(jar.size(), 4u);
  EXPECT_EQ(Bytes(jar.begin(), jar.begin() + 4), (Bytes{'P', 'K', 3, 4}));
  std::set<std::string> names = ZipEntryNames(jar);
  EXPECT_TRUE(names.count("zqmPlayer.class")) << "the class the page's applet tag names";
  EXPECT_TRUE(names.count("META-INF/MANIFEST.MF"));
  EXPECT_TRUE(names.count("PlayerMain.class")) << "the standalone entry point";
}

// A destination folder as a finished job leaves it: archive, strip, metafile,
// stream files and a page. Three variants, deliberately not in rate order.
class PlayerCheck : public ::testing::Test {
 protected:
  struct Variant {
    std::uint32_t videoRate;
    std::uint16_t width;
    std::uint16_t height;
    std::uint32_t audioRate;
  };

  void SetUp() override {
    if (!OnPath("java")) GTEST_SKIP() << "no java on PATH (scripts/install-deps.sh installs it)";
    WriteFile(dir_.File("zqmPlayer.jar"), ResourceBytes(PackageResource::PlayerArchive));
    WriteFile(dir_.File("buttons.gif"), ResourceBytes(PackageResource::ButtonImage));
    WritePackage("My_Movie", {{150000, 160, 128, 16000}, {300000, 240, 176, 24000}, {220000, 208, 160, 16000}});
  }

  void WritePackage(const std::string& base, const std::vector<Variant>& variants, bool audio = true) {
    Bytes meta;
    AppendU32(meta, static_cast<std::uint32_t>(variants.size()));
    AppendU32(meta, audio ? static_cast<std::uint32_t>(variants.size()) : 0);
    for (const Variant& v : variants) AppendU32(meta, v.videoRate);
    for (const Variant& v : variants) {
      if (audio) AppendU32(meta, v.audioRate);
    }
    WriteFile(dir_.File(base + ".meta.zq48"), meta);
    for (const Variant& v : variants) {
      std::uint32_t payload = v.videoRate * 10 / 8;  // ten seconds' worth
      Bytes video;
      for (auto header : {Encode(FileOutputHeader{2, 10'000'000, payload}),
                          Encode(VideoHeader{FrameRateX1e6(15.0), v.width, v.height, v.videoRate})}) {
        video.insert(video.end(), header.begin(), header.end());
      }
      video.resize(video.size() + 64);  // a stand-in payload: the player reads only the headers
      WriteFile(dir_.File(base + "_" + std::to_string(v.videoRate) + "bps.video.zq48"), video);
      if (audio) {
        auto header = Encode(AudioHeader{2, v.audioRate, v.audioRate * 10 / 8});
        WriteFile(dir_.File(base + "_" + std::to_string(v.audioRate) + "bps.audio.zq48"), header);
      }
    }
  }

  // The encoder's page, with the parameter lines given (each "<param ...>"
  // or a comment).
  static std::string Page(const std::vector<std::string>& params, int width = 260, int height = 192) {
    std::string page =
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html>\n<head>\n<title></title>\n"
        "</head>\n<body>\n<applet archive=\"zqmPlayer.jar\" code=\"zqmPlayer.class\" width=\"" +
        std::to_string(width) + "\" height=\"" + std::to_string(height) + "\">\n\n";
    for (const std::string& line : params) page += line + "\n";
    return page + "\nIf you are not seeing graphics and video, please visit\nwww.java.com !\n</applet>\n</body>\n</html>";
  }

  static std::vector<std::string> EncoderParams(const std::string& meta = "My_Movie.meta.zq48") {
    return {"<param name=\"AutoPlay\" value=\"false\">",
            "<param name=\"RepeatForever\" value=\"false\">",
            "<param name=\"UrlBase\" value=\"codebase\">",
            "<param name=\"PanelEnable\" value=\"true\">",
            "<param name=\"PanelImagesURL\" value=\"buttons.gif\">",
            "",
            "<param name=\"MetaURL\" value=\"" + meta + "\">",
            "",
            "<!-- <param name=\"BackgroundColor\" value=\"FFFFFF\"> -->",
            "<!-- <param name=\"VideoEndImageURL\" value=\"end.jpg\"> -->",
            "<!-- <param name=\"VideoTitleImageURL\" value=\"title.jpg\"> -->",
            "<!-- <param name=\"PanelButtonsWidths\" value=\"15,15,15,7,6,1,6,15\"> -->",
            "<!-- <param name=\"MuteAudio\" value=\"false\"> -->",
            "",
            "<!-- Under Microsoft JVM alpha blending is very slow, 255 turns off transparency -->",
            "<!-- <param name=\"VideoAlphaValue\" value=\"255\"> -->"};
  }

  Result Check(const std::string& target, const std::string& options = "") {
    return Shell("cd '" + dir_.path() + "' && java -Djava.awt.headless=true -jar zqmPlayer.jar --check " +
                     options + " '" + target + "'",
                 dir_.File("stderr.txt"));
  }

  static bool Has(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
  }

  TempDir dir_;
};

TEST_F(PlayerCheck, EncodersPageOnDiskPlaysTheRichestVariant) {
  WriteText(dir_.File("My_Movie.html"), Page(EncoderParams()));
  Result run = Check("My_Movie.html");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_FALSE(Has(run.err, "zqmPlayer:")) << run.err;  // the JVM itself may say things there
  for (const char* line : {
           "applet class: zqmPlayer extends java.applet.Applet\n",
           "page applet: code zqmPlayer.class, archive zqmPlayer.jar, 260 x 192\n",
           "video rates: 150000 300000 220000 bps\n",
           "audio rates: 16000 24000 16000 bps\n",
           "bandwidth: unlimited (local file)\n",
           "chosen variant: 2 of 3, video 300000 bps + audio 24000 bps = 324000 bps\n",
           "video stream: My_Movie_300000bps.video.zq48\n",
           "video: 240 x 176, 15.000 fps, 10.000 s, 375000 bytes, 300000 bps\n",
           "audio stream: My_Movie_24000bps.audio.zq48\n",
           "audio: 30000 bytes, 24000 bps\n",
           "button strip: buttons.gif, 80 x 32\n",
           "title image: none\n",
           // Commented-out parameters keep the player's defaults.
           "parameter VideoTitleImageURL = (none)\n",
           "parameter PanelButtonsWidths = 15,15,15,7,6,1,6,15\n"}) {
    EXPECT_TRUE(Has(run.out, line)) << line << "\n--- output:\n" << run.out;
  }
}

TEST_F(PlayerCheck, BandwidthPicksTheRichestPairThatFitsElseTheLeanest) {
  WriteText(dir_.File("My_Movie.html"), Page(EncoderParams()));
  struct Case {
    const char* bandwidth;
    const char* chosen;
  } cases[] = {
      {"250000", "chosen variant: 3 of 3, video 220000 bps + audio 16000 bps = 236000 bps\n"},
      {"324000", "chosen variant: 2 of 3, video 300000 bps + audio 24000 bps = 324000 bps\n"},  // exactly fits
      {"323999", "chosen variant: 3 of 3"},
      {"1000", "chosen variant: 1 of 3, video 150000 bps + audio 16000 bps = 166000 bps\n"},  // nothing fits
  };
  for (const Case& c : cases) {
    Result run = Check("My_Movie.html", std::string("--bandwidth ") + c.bandwidth);
    EXPECT_EQ(run.status, 0) << c.bandwidth << run.err;
    EXPECT_TRUE(Has(run.out, c.chosen)) << c.bandwidth << "\n" << run.out;
    EXPECT_TRUE(Has(run.out, std::string("bandwidth: ") + c.bandwidth + " bps (given)\n")) << run.out;
  }
}

TEST_F(PlayerCheck, AcceptsEveryParameterThePageCanGive) {
  // Image names keep their spaces, as the encoder copies them.
  WriteFile(dir_.File("title image.gif"), ResourceBytes(PackageResource::ButtonImage));
  WriteFile(dir_.File("the end.gif"), ResourceBytes(PackageResource::ButtonImage));
  WriteText(dir_.File("page.html"),
            Page({"<param name=\"AutoPlay\" value=\"true\">", "<param name=\"RepeatForever\" value=\"true\">",
                  "<param name=\"UrlBase\" value=\"documentbase\">", "<param name=\"PanelEnable\" value=\"true\">",
                  "<param name=\"PanelImagesURL\" value=\"buttons.gif\">",
                  "<param name=\"MetaURL\" value=\"My_Movie.meta.zq48\">",
                  "<param name=\"BackgroundColor\" value=\"102030\">",
                  "<param name=\"VideoEndImageURL\" value=\"the end.gif\">",
                  "<param name=\"VideoTitleImageURL\" value=\"title image.gif\">",
                  "<param name=\"PanelButtonsWidths\" value=\"20,20,20,20\">",
                  "<param name=\"MuteAudio\" value=\"true\">", "<param name=\"VideoAlphaValue\" value=\"255\">"},
                 400, 300));
  Result run = Check("page.html", "--snapshot shot.png");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_FALSE(Has(run.err, "zqmPlayer:")) << run.err;  // the JVM itself may say things there
  for (const char* line :
       {"parameter AutoPlay = true\n", "parameter RepeatForever = true\n", "parameter UrlBase = documentbase\n",
        "parameter PanelEnable = true\n", "parameter PanelImagesURL = buttons.gif\n",
        "parameter MetaURL = My_Movie.meta.zq48\n", "parameter BackgroundColor = 102030\n",
        "parameter VideoEndImageURL = the end.gif\n", "parameter VideoTitleImageURL = title image.gif\n",
        "parameter PanelButtonsWidths = 20,20,20,20\n", "parameter MuteAudio = true\n",
        "parameter VideoAlphaValue = 255\n", "title image: title image.gif, 80 x 32\n",
        "end image: the end.gif, 80 x 32\n", "page applet: code zqmPlayer.class, archive zqmPlayer.jar, 400 x 300\n"}) {
    EXPECT_TRUE(Has(run.out, line)) << line << "\n--- output:\n" << run.out;
  }
  // The snapshot is the player painted at the applet's size.
  Bytes png = ReadFile(dir_.File("shot.png"));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(Bytes(png.begin() + 1, png.begin() + 4), (Bytes{'P', 'N', 'G'}));
  auto be32 = [&](std::size_t at) { return png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]; };
  EXPECT_EQ(be32(16), 400);
  EXPECT_EQ(be32(20), 300);
}

TEST_F(PlayerCheck, BadParameterValuesFailTheCheckByName) {
  WriteText(dir_.File("page.html"),
            Page({"<param name=\"MetaURL\" value=\"My_Movie.meta.zq48\">",
                  "<param name=\"VideoAlphaValue\" value=\"300\">", "<param name=\"MuteAudio\" value=\"yes\">",
                  "<param name=\"BackgroundColor\" value=\"white\">"}));
  Result run = Check("page.html");
  EXPECT_EQ(run.status, 1);
  for (const char* name : {"VideoAlphaValue: \"300\"", "MuteAudio: \"yes\"", "BackgroundColor: \"white\""}) {
    EXPECT_TRUE(Has(run.err, name)) << name << "\n" << run.err;
  }
  // The player still runs on its defaults, so the facts are there.
  EXPECT_TRUE(Has(run.out, "parameter VideoAlphaValue = 192\n")) << run.out;
  EXPECT_TRUE(Has(run.out, "chosen variant: 2 of 3")) << run.out;
}

TEST_F(PlayerCheck, MetafileAloneUsesDefaultsAndAPackageWithoutSound) {
  WritePackage("Silent Film", {{90000, 160, 128, 0}, {120000, 160, 128, 0}}, /*audio=*/false);
  Result run = Check("Silent Film.meta.zq48");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  for (const char* line : {"audio rates: none\n", "chosen variant: 2 of 2, video 120000 bps + audio 0 bps = 120000 bps\n",
                           "video stream: Silent Film_120000bps.video.zq48\n", "audio stream: none\n",
                           "parameter MetaURL = Silent%20Film.meta.zq48\n", "button strip: buttons.gif, 80 x 32\n"}) {
    EXPECT_TRUE(Has(run.out, line)) << line << "\n--- output:\n" << run.out;
  }
}

TEST_F(PlayerCheck, MissingOrDamagedFilesAreReportedByName) {
  WriteText(dir_.File("My_Movie.html"), Page(EncoderParams()));
  WriteText(dir_.File("Broken.html"), Page(EncoderParams("Broken.meta.zq48")));
  WriteText(dir_.File("Ghost.html"), Page(EncoderParams("Ghost.meta.zq48")));
  WriteText(dir_.File("NoMeta.html"), Page({"<!-- <param name=\"MetaURL\" value=\"x.meta.zq48\"> -->"}));
  WriteText(dir_.File("NoApplet.html"), "<html><body>nothing here</body></html>");
  Bytes broken = {2, 0, 0, 0, 2, 0, 0, 0, 1, 2, 3};  // counts promise 16 more bytes
  WriteFile(dir_.File("Broken.meta.zq48"), broken);

  struct Case {
    const char* target;
    const char* before;  // what to break first, or ""
    const char* message;
  } cases[] = {
      {"My_Movie.html", "My_Movie_24000bps.audio.zq48", "cannot find My_Movie_24000bps.audio.zq48"},
      {"Broken.html", "", "Broken.meta.zq48: the metafile is 11 bytes but its counts"},
      {"Ghost.html", "", "cannot find Ghost.meta.zq48"},
      {"NoMeta.html", "", "the page gives no MetaURL parameter"},
      {"NoApplet.html", "", "the page has no <applet> tag"},
      {"My_Movie.html", "buttons.gif", "cannot find buttons.gif"},
  };
  for (const Case& c : cases) {
    if (*c.before) std::remove(dir_.File(c.before).c_str());
    Result run = Check(c.target);
    EXPECT_EQ(run.status, 1) << c.target << " without " << c.before;
    EXPECT_TRUE(Has(run.err, c.message)) << c.message << "\n--- stderr:\n" << run.err;
  }

  // A stream the encoder never finished still has the all-zero audio header.
  WriteFile(dir_.File("My_Movie_24000bps.audio.zq48"), Encode(AudioHeader{}));
  WriteFile(dir_.File("buttons.gif"), ResourceBytes(PackageResource::ButtonImage));
  Result run = Check("My_Movie.html");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.err, "My_Movie_24000bps.audio.zq48 has format 0, not 2")) << run.err;
}

}  // namespace
}  // namespace zq48

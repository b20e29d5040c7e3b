// Runs the zq48enc program itself, as a script would.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "container/stream_headers.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

using testing::ClipSpec;
using testing::TempDir;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class Zq48enc : public ::testing::Test {
 protected:
  Result Exec(const std::string& args) {
    std::string err = dir_.File("stderr.txt");
    std::string command = std::string(ZQ48ENC_PATH) + " " + args + " 2>" + err;
    Result run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = Slurp(err);
    return run;
  }
  TempDir dir_;
};

TEST_F(Zq48enc, HelpAndUsageErrors) {
  Result help = Exec("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: zq48enc [OPTION]... -o DEST FILE..."), std::string::npos);

  for (const char* args : {"", "--probe", "--bogus x.avi", "--ladder --quality", "--ladder --quality 101 x",
                           "--ladder --range-end 3k x.avi", "--probe --ladder x.avi"}) {
    Result run = Exec(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_NE(run.err.find("Try 'zq48enc --help'"), std::string::npos) << args;
    EXPECT_EQ(run.out, "") << args;
  }
}

TEST_F(Zq48enc, ProbePrintsFactsAndReportsBadFilesWithoutStopping) {
  std::string good = dir_.File("My Movie.avi");
  testing::WriteAvi(good, ClipSpec{.width = 320, .height = 240});
  std::string bad = dir_.File("bad.avi");
  testing::WriteGarbage(bad, 3000);
  std::string silent = dir_.File("silent.avi");
  testing::WriteAvi(silent, ClipSpec{.audio = false});

  Result run = Exec("--probe '" + bad + "' '" + good + "' '" + silent + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("ZQ48 Encoder: Can't open " + bad + " file.\n"), std::string::npos)
      << run.err;
  for (const char* line : {"source kind: 0\n", "width: 320\n", "height: 240\n", "has audio: yes\n",
                           "has video: yes\n", "frame rate: 15.000\n", "audio format tag: 1\n",
                           "audio channels: 1\n", "audio samples per second: 22050\n",
                           "audio bits per sample: 16\n", "has audio: no\n"})
    EXPECT_NE(run.out.find(line), std::string::npos) << line;
  // The good files' blocks, in order, and nothing of the refused one.
  size_t first = run.out.find("file: " + good + "\n");
  size_t second = run.out.find("\nfile: " + silent + "\n");
  EXPECT_EQ(first, 0u);
  EXPECT_NE(second, std::string::npos);
  EXPECT_EQ(run.out.find(bad), std::string::npos);
}

TEST_F(Zq48enc, LadderPrintsOneVariantALine) {
  std::string clip = dir_.File("clip.avi");
  testing::WriteAvi(clip, ClipSpec{.width = 320, .height = 240});
  Result run = Exec("--ladder '" + clip + "'");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "file: " + clip + "\n"
            "_dr40_fr15.00_w128_h96_Ch1_Sr8000_Br8 volume=1.00 begin=0.000 end=0.000 "
            "crop-bottom=0 crop-left=0 crop-right=0 crop-top=0\n"
            "_dr202_fr15.00_w240_h176_Ch1_Sr8000_Br16 volume=1.00 begin=0.000 end=0.000 "
            "crop-bottom=0 crop-left=0 crop-right=0 crop-top=0\n"
            "_dr334_fr15.00_w320_h240_Ch1_Sr8000_Br16 volume=1.00 begin=0.000 end=0.000 "
            "crop-bottom=0 crop-left=0 crop-right=0 crop-top=0\n");

  // A reversed range gives the single rung at its end, as in the desktop
  // program (the swap at Encode comes after the ladder); a range outside the
  // limits is refused.
  run = Exec("--ladder --range-begin 900 --range-end 900 --quality 0 '" + clip + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("_dr868_fr7.00_w320_h240_Ch1_Sr8000_Br32 "), std::string::npos);
  run = Exec("--ladder --range-begin 350 --range-end 100 --quality 100 '" + clip + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1 + 1);
  EXPECT_NE(run.out.find("_dr92_fr18.00_"), std::string::npos) << run.out;
  run = Exec("--ladder --range-begin 47 '" + clip + "'");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "ZQ48 Encoder: Range begin must be more 48 and less 900.\n");
  EXPECT_EQ(run.out, "");
}

// "My Movie.avi" and "My_Movie.avi" would write the same package: the
// second is refused, naming the first, and the first is still encoded.
TEST_F(Zq48enc, FilesWithTheSameOutputNamesAreRefused) {
  const std::string a = dir_.File("My Movie.avi"), b = dir_.File("My_Movie.avi"), c = dir_.File("My.Movie v2.avi");
  for (const std::string& clip : {a, b, c}) testing::WriteAvi(clip, ClipSpec{.seconds = 0.5});
  const std::string out = dir_.File("out");
  Result run = Exec("--range-begin 100 --range-end 100 -o '" + out + "' '" + a + "' '" + b + "' '" + c + "'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("ZQ48 Encoder: Can't add " + b + ":"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(a + ", which is already in the list"), std::string::npos) << run.err;
  EXPECT_TRUE(std::filesystem::exists(out + "/My_Movie.meta.zq48"));
  EXPECT_TRUE(std::filesystem::exists(out + "/My.Movie_v2.meta.zq48"));  // cut at the last dot only
}

TEST_F(Zq48enc, LadderOfAFileWithoutSound) {
  std::string clip = dir_.File("silent.avi");
  testing::WriteAvi(clip, ClipSpec{.audio = false});
  Result run = Exec("--ladder --range-begin 100 --range-end 100 '" + clip + "'");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "file: " + clip + "\n_dr92_fr15.00_w160_h128_Ch0_Sr0_Br0 volume=0.00 "
                     "begin=0.000 end=0.000 crop-bottom=0 crop-left=0 crop-right=0 crop-top=0\n");
}

TEST_F(Zq48enc, InspectPrintsHeadersAndFlagsInconsistentFiles) {
  auto write = [this](const std::string& name, std::vector<HeaderBytes> records, size_t payload) {
    std::string path = dir_.File(name);
    std::ofstream out(path, std::ios::binary);
    for (const HeaderBytes& r : records) out.write(reinterpret_cast<const char*>(r.data()), 12);
    out << std::string(payload, 'x');
    return path;
  };
  std::string video = write("m_80000bps.video.zq48",
                            {Encode(FileOutputHeader{2, 10'000'000, 100}),
                             Encode(VideoHeader{25'000'000, 640, 480, 80})},
                            100);
  std::string audio = write("m_8000bps.audio.zq48", {Encode(AudioHeader{2, 8000, 7})}, 9);

  Result good = Exec("--inspect '" + video + "'");
  EXPECT_EQ(good.status, 0);
  EXPECT_EQ(good.out, "file: " + video +
                          "\nkind: video\nfile size: 124\nversion: 2\nduration_us: 10000000\n"
                          "data_size: 100\nframe_rate_x1e6: 25000000\nwidth: 640\nheight: 480\n"
                          "bit_rate: 80\npayload: 100 bytes at offset 24\nconsistent: yes\n");

  Result bad = Exec("--inspect '" + audio + "' '" + dir_.File("missing.zq48") + "'");
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.out.find("kind: audio\n"), std::string::npos);
  EXPECT_NE(bad.out.find("problem: data_size says 7 bytes but the file holds 9 payload bytes\n"
                         "consistent: no\n"),
            std::string::npos);
  EXPECT_NE(bad.err.find("missing.zq48: No such file or directory"), std::string::npos) << bad.err;

  std::string meta = dir_.File("m.meta.zq48");
  {
    std::ofstream out(meta, std::ios::binary);
    const std::uint8_t bytes[] = {2, 0, 0, 0, 1, 0, 0, 0, 0x40, 0x1F, 0, 0, 0x80, 0x3E, 0, 0, 0x40, 0x1F, 0, 0};
    out.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
  }
  Result rates = Exec("--inspect '" + meta + "'");
  EXPECT_EQ(rates.status, 0);
  EXPECT_EQ(rates.out, "file: " + meta +
                           "\nkind: metafile\nvideo count: 2\naudio count: 1\nvideo rates: 8000 16000\n"
                           "audio rates: 8000\nconsistent: yes\n");
}

}  // namespace
}  // namespace zq48

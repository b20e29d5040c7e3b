// --job and --save-job: a job saved from options encodes to the same package
// as those options, a job written by hand works, a damaged one is refused
// at its line before anything is written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/cli_run.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;
using testing::ClipSpec;
using testing::CliRun;
using testing::Quote;

class JobOption : public ::testing::Test {
 protected:
  CliRun Exec(const std::string& args) { return testing::Zq48enc(args, dir_.path()); }
  void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
  testing::TempDir dir_;
};

// Every file of the folder with its bytes.
std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::directory_iterator(folder))
    out[e.path().filename().string()] = testing::ReadText(e.path().string());
  return out;
}

TEST_F(JobOption, ASavedJobEncodesAsItsOptionsDo) {
  const std::string clip = dir_.File("my clip.avi");
  testing::WriteAvi(clip, ClipSpec{.seconds = 1.0});
  const std::string options = "--range-begin 100 --range-end 200 --volume 1.2 --crop 2,2,0,4 ";
  ASSERT_EQ(Exec(options + "-o " + Quote(dir_.File("direct")) + " " + Quote(clip)).status, 0);

  const std::string job = dir_.File("saved.json");
  CliRun save = Exec("--save-job " + Quote(job) + " " + options + Quote(clip));
  ASSERT_EQ(save.status, 0) << save.err;
  EXPECT_NE(testing::ReadText(job).find("\"volume\": 1.2,"), std::string::npos);  // C notation, no float noise
  CliRun run = Exec("--job " + Quote(job) + " -o " + Quote(dir_.File("from job")));
  ASSERT_EQ(run.status, 0) << run.err;
  const auto direct = Contents(dir_.File("direct")), fromJob = Contents(dir_.File("from job"));
  EXPECT_GT(direct.size(), 5u);
  EXPECT_EQ(direct, fromJob);
}

// Relative paths from the job file's folder, settings left at their
// defaults, keys this version does not know, variants without the fields
// they do not need.
TEST_F(JobOption, AJobWrittenByHandIsEncoded) {
  fs::create_directories(dir_.File("jobs/clips"));
  testing::WriteAvi(dir_.File("jobs/clips/a.avi"), ClipSpec{.seconds = 1.0});
  testing::WriteAvi(dir_.File("b.avi"), ClipSpec{.seconds = 1.0});
  Write(dir_.File("jobs/hand.json"), R"({
  "version": 1, "made by": "hand", "destination": "../out", "range_begin_kbps": 100, "range_end_kbps": 100,
  "files": [
    {"path": "clips/a.avi"},
    {"path": ")" + dir_.File("b.avi") + R"(", "variants": [
      {"video": 0, "audio": 8, "rate": 8000, "channels": 1},
      {"w": 96, "h": 64, "fps": 5, "video": 60, "audio": 0}]}]})");
  CliRun run = testing::Shell("cd / && " + std::string(ZQ48ENC_PATH) + " --progress=json --job " +
                                  Quote(dir_.File("jobs/hand.json")),
                              dir_.path());
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<QJsonObject> finished = testing::Events(testing::ParseLines(run.err), "variant_finished");
  ASSERT_EQ(finished.size(), 3u);
  EXPECT_EQ(testing::Str(finished[0]["file"]), dir_.File("jobs/clips/a.avi"));
  EXPECT_EQ(finished[0]["target_video_bit_rate_kbps"].toInt(), 92);  // the single rung of 100 kbps
  EXPECT_FALSE(finished[1].contains("video_file"));
  EXPECT_TRUE(finished[1].contains("audio_file"));
  EXPECT_EQ(finished[2]["width_px"].toInt(), 96);
  EXPECT_FALSE(finished[2].contains("audio_file"));
  for (const char* name : {"a.meta.zq48", "b.meta.zq48", "a.html", "b.html"})
    EXPECT_TRUE(fs::exists(dir_.File("out/") + name)) << name;
}

TEST_F(JobOption, ADamagedJobIsRefusedAtItsLineAndNothingIsWritten) {
  testing::WriteAvi(dir_.File("a.avi"), ClipSpec{.seconds = 1.0});
  const std::string out = dir_.File("out");
  struct Case {
    const char* name;
    std::string text;
    std::string err;
  } cases[] = {
      {"syntax.json", "{\"version\": 1,\n \"files\": [\n {\"path\": \"a.avi\"\n ]}", ":4: expected ',' or '}'\n"},
      {"value.json", "{\"version\": 1, \"quality\": 50,\n \"range_begin_kbps\": 5000, \"files\": []}",
       ":2: \"range_begin_kbps\" must be a whole number from 48 to 900\n"},
      {"crop.json", "{\"version\": 1, \"files\": [\n {\"path\": \"a.avi\", \"crop\": \"0:0:100:100\"}]}",
       ":2: " + dir_.File("a.avi") + ": Cropping top plus bottom must be less than height of film.\n"},
  };
  for (const Case& c : cases) {
    Write(dir_.File(c.name), c.text);
    CliRun run = Exec("--job " + Quote(dir_.File(c.name)) + " -o " + Quote(out));
    EXPECT_EQ(run.status, 2) << c.name;
    EXPECT_EQ(run.err, "zq48enc: " + dir_.File(c.name) + c.err);
    EXPECT_FALSE(fs::exists(out)) << c.name;
  }
  CliRun missing = Exec("--job " + Quote(dir_.File("none.json")) + " -o " + Quote(out));
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "zq48enc: " + dir_.File("none.json") + ": it cannot be read\n");
  // Without -o the job must name the folder.
  Write(dir_.File("nowhere.json"), "{\"version\": 1, \"files\": [{\"path\": \"a.avi\"}]}");
  CliRun nowhere = Exec("--job " + Quote(dir_.File("nowhere.json")));
  EXPECT_EQ(nowhere.status, 2);
  EXPECT_EQ(nowhere.err, "zq48enc: " + dir_.File("nowhere.json") + " names no destination folder: give -o DEST\n");
  // The job names the files and the settings.
  EXPECT_EQ(Exec("--job x.json --quality 50").status, 2);
  EXPECT_EQ(Exec("--job x.json a.avi").status, 2);
}

}  // namespace
}  // namespace zq48

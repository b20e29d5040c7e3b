// --json: the documents parse and carry what the plain output carries.

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/cli_run.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

using testing::ClipSpec;
using testing::Quote;
using testing::CliRun;
using testing::Str;

// The "name: value" lines of one block of plain output.
std::map<std::string, std::string> Fields(const std::string& block) {
  std::map<std::string, std::string> out;
  std::istringstream lines(block);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t colon = line.find(": ");
    if (colon != std::string::npos) out[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return out;
}

std::vector<std::string> Blocks(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t gap; (gap = text.find("\n\n", start)) != std::string::npos; start = gap + 2)
    out.push_back(text.substr(start, gap + 1 - start));
  out.push_back(text.substr(start));
  return out;
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

class JsonOutput : public ::testing::Test {
 protected:
  CliRun Exec(const std::string& args) { return testing::Zq48enc(args, dir_.path()); }
  testing::TempDir dir_;
};

TEST_F(JsonOutput, ProbeCarriesEveryFactOfThePlainOutput) {
  // A name with a quote and a backslash: the document must escape both.
  const std::string sound = dir_.File("sound \"loud\" \\ 1.avi"), silent = dir_.File("silent.avi"),
                    bad = dir_.File("bad.avi");
  testing::WriteAvi(sound, ClipSpec{.width = 320, .height = 240, .seconds = 1.5});
  testing::WriteAvi(silent, ClipSpec{.fpsNum = 25, .seconds = 1.0, .audio = false});
  testing::WriteGarbage(bad, 3000);
  const std::string files = Quote(sound) + " " + Quote(bad) + " " + Quote(silent);
  CliRun plain = Exec("--probe " + files);
  CliRun json = Exec("--probe --json " + files);
  EXPECT_EQ(plain.status, 1);
  EXPECT_EQ(json.status, 1);
  // The messages stay where they were; which files were left out is in the document.
  EXPECT_EQ(json.err, "ZQ48 Encoder: Can't open " + bad + " file.\n");
  EXPECT_EQ(plain.err, json.err + "zq48enc: " + bad + ": not accepted\n");

  QJsonObject doc = testing::ParseObject(json.out);
  QJsonArray list = doc["files"].toArray();
  std::vector<std::string> blocks = Blocks(plain.out);
  ASSERT_EQ(list.size(), 2);
  ASSERT_EQ(blocks.size(), 2u);
  ASSERT_EQ(doc["refused"].toArray().size(), 1);
  EXPECT_EQ(Str(doc["refused"].toArray()[0]), bad);
  for (int i = 0; i < 2; ++i) {
    QJsonObject f = list[i].toObject();
    std::map<std::string, std::string> p = Fields(blocks[static_cast<std::size_t>(i)]);
    EXPECT_EQ(Str(f["file"]), p["file"]);
    EXPECT_EQ(std::to_string(f["source_kind"].toInt()), p["source kind"]);
    EXPECT_EQ(std::to_string(f["width_px"].toInt()), p["width"]);
    EXPECT_EQ(std::to_string(f["height_px"].toInt()), p["height"]);
    EXPECT_EQ(f["has_audio"].toBool() ? "yes" : "no", p["has audio"]);
    EXPECT_EQ(f["has_video"].toBool() ? "yes" : "no", p["has video"]);
    EXPECT_EQ(Fixed(f["frame_rate_fps"].toDouble(), 3), p["frame rate"]);
    EXPECT_EQ(Fixed(f["video_duration_s"].toDouble(), 3), p["video duration"]);
    EXPECT_EQ(Fixed(f["audio_duration_s"].toDouble(), 3), p["audio duration"]);
    EXPECT_EQ(std::to_string(f["bit_rate_bps"].toInteger()), p["bit rate"]);
    EXPECT_EQ(Str(f["size_text"]), p["size text"]);
    EXPECT_EQ(Str(f["duration_text"]), p["duration text"]);
    EXPECT_EQ(Str(f["modified_date"]), p["modified"]);
    EXPECT_EQ(Str(f["created_date"]), p["created"]);
    EXPECT_GT(f["file_size_bytes"].toInteger(), 0);
    EXPECT_EQ(f.contains("audio_format"), p.count("audio channels") == 1);
    if (!f.contains("audio_format")) continue;
    QJsonObject a = f["audio_format"].toObject();
    EXPECT_EQ(Str(a["subtype"]), p["audio subtype"]);
    EXPECT_EQ(std::to_string(a["format_tag"].toInt()), p["audio format tag"]);
    EXPECT_EQ(std::to_string(a["channels"].toInt()), p["audio channels"]);
    EXPECT_EQ(std::to_string(a["samples_per_second_hz"].toInt()), p["audio samples per second"]);
    EXPECT_EQ(std::to_string(a["average_bytes_per_second"].toInt()), p["audio average bytes per second"]);
    EXPECT_EQ(std::to_string(a["block_align_bytes"].toInt()), p["audio block align"]);
    EXPECT_EQ(std::to_string(a["bits_per_sample"].toInt()), p["audio bits per sample"]);
  }
  EXPECT_DOUBLE_EQ(list[1].toObject()["frame_rate_fps"].toDouble(), 25.0);
}

TEST_F(JsonOutput, LadderAndInspectCarryThePlainValues) {
  const std::string clip = dir_.File("My Clip.avi");
  testing::WriteAvi(clip, ClipSpec{.width = 320, .height = 240, .seconds = 1.0});
  CliRun plain = Exec("--ladder --volume 1.25 --begin 0.5 --end 0.75 --crop 1,2,3,4 " + Quote(clip));
  CliRun json = Exec("--ladder --json --volume 1.25 --begin 0.5 --end 0.75 --crop 1,2,3,4 " + Quote(clip));
  ASSERT_EQ(json.status, 0) << json.err;
  QJsonArray variants = testing::ParseObject(json.out)["files"].toArray()[0].toObject()["variants"].toArray();
  std::istringstream lines(plain.out);
  std::string line;
  std::getline(lines, line);  // file:
  ASSERT_EQ(variants.size(), 3);
  EXPECT_FALSE(testing::ParseObject(json.out)["files"].toArray()[0].toObject()["custom"].toBool());
  for (const QJsonValue& value : variants) {
    QJsonObject v = value.toObject();
    ASSERT_TRUE(std::getline(lines, line));
    char expected[512];
    std::snprintf(expected, sizeof expected,
                  "%s volume=%.2f begin=%.3f end=%.3f crop-bottom=%d crop-left=%d crop-right=%d crop-top=%d",
                  Str(v["tag"]).c_str(), v["volume_factor"].toDouble(), v["begin_s"].toDouble(),
                  v["end_s"].toDouble(), v["crop_bottom_px"].toInt(), v["crop_left_px"].toInt(),
                  v["crop_right_px"].toInt(), v["crop_top_px"].toInt());
    EXPECT_EQ(line, expected);
    char tag[128];
    std::snprintf(tag, sizeof tag, "_dr%d_fr%.2f_w%d_h%d_Ch%d_Sr%d_Br%d", v["video_bit_rate_kbps"].toInt(),
                  v["frame_rate_fps"].toDouble(), v["width_px"].toInt(), v["height_px"].toInt(),
                  v["audio_channels"].toInt(), v["audio_sample_rate_hz"].toInt(), v["audio_bit_rate_kbps"].toInt());
    EXPECT_EQ(Str(v["tag"]), tag);
  }

  // Inspect: an encoded package, a damaged stream and a missing file.
  const std::string out = dir_.File("out");
  ASSERT_EQ(Exec("--range-begin 100 --range-end 100 -o " + Quote(out) + " " + Quote(clip)).status, 0);
  CliRun meta = Exec("--inspect --json " + Quote(out + "/My_Clip.meta.zq48"));
  ASSERT_EQ(meta.status, 0);
  QJsonObject m = testing::ParseObject(meta.out)["files"].toArray()[0].toObject();
  EXPECT_EQ(Str(m["kind"]), "metafile");
  EXPECT_EQ(m["video_count"].toInt(), 1);
  const std::string video = out + "/My_Clip_" + std::to_string(m["video_rates_bps"].toArray()[0].toInt()) + "bps.video.zq48";
  const std::string audio = out + "/My_Clip_" + std::to_string(m["audio_rates_bps"].toArray()[0].toInt()) + "bps.audio.zq48";
  const std::string damaged = dir_.File("cut.video.zq48");
  testing::WriteTruncated(video, damaged, 200);
  const std::string all = Quote(video) + " " + Quote(audio) + " " + Quote(damaged) + " " + Quote(dir_.File("none.zq48"));
  CliRun plainInspect = Exec("--inspect " + all);
  CliRun jsonInspect = Exec("--inspect --json " + all);
  EXPECT_EQ(jsonInspect.status, 1);
  EXPECT_EQ(plainInspect.status, 1);
  QJsonArray reports = testing::ParseObject(jsonInspect.out)["files"].toArray();
  ASSERT_EQ(reports.size(), 4);
  std::vector<std::string> blocks = Blocks(plainInspect.out);
  ASSERT_EQ(blocks.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    QJsonObject r = reports[i].toObject();
    std::map<std::string, std::string> p = Fields(blocks[static_cast<std::size_t>(i)]);
    EXPECT_EQ(Str(r["kind"]), p["kind"]);
    EXPECT_EQ(std::to_string(r["file_size_bytes"].toInteger()), p["file size"]);
    EXPECT_EQ(std::to_string(r["bit_rate_bps"].toInteger()), p["bit_rate"]);
    EXPECT_EQ(std::to_string(r["data_size_bytes"].toInteger()), p["data_size"]);
    EXPECT_EQ(r["consistent"].toBool() ? "yes" : "no", p["consistent"]);
    EXPECT_EQ(r["problems"].toArray().size() == 0, r["consistent"].toBool());
    if (p["kind"] == "video") {
      EXPECT_EQ(std::to_string(r["width_px"].toInt()), p["width"]);
      EXPECT_EQ(std::to_string(r["duration_us"].toInteger()), p["duration_us"]);
      EXPECT_EQ(std::to_string(r["frame_rate_fps_x1e6"].toInteger()), p["frame_rate_x1e6"]);
    }
  }
  EXPECT_FALSE(reports[2].toObject()["consistent"].toBool());
  EXPECT_FALSE(reports[3].toObject()["consistent"].toBool());
  EXPECT_NE(Str(reports[3].toObject()["error"]).find("No such file"), std::string::npos);
}

TEST_F(JsonOutput, JsonGoesOnlyWithTheCommandsThatPrintDocuments) {
  for (const char* args : {"--json -o out x.avi", "--progress=json --probe x.avi", "--progress=text -o out x.avi",
                           "--skip-complete --ladder x.avi"}) {
    CliRun run = Exec(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_EQ(run.out, "") << args;
  }
}

}  // namespace
}  // namespace zq48

// Whole jobs through the general decode source: real files in, the output
// package out.

#include <gtest/gtest.h>

#include <future>

#include <atomic>
#include <sys/wait.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <regex>
#include <thread>

#include "audio/audio_test_support.h"
#include "encode/variant_job.h"
#include "sources/probe.h"
#include "container/stream_file_reader.h"
#include "encode/encode_controller.h"
#include "encode/filter_ladder.h"
#include "container/metafile.h"
#include "sources/ffmpeg_general_media.h"
#include "encode/pipeline/worker_factory.h"
#include "support/engine_run.h"
#include "support/recording_notifier.h"
#include "sources/decode_graph.h"
#include "support/test_media.h"
#include "support/video_decode.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;
using testing::ClipSpec;
using testing::RecordingNotifier;
using testing::TempDir;

int RunCli(const std::string& args) {
  int raw = std::system((std::string(ZQ48ENC_PATH) + " " + args + " 2>/dev/null").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::vector<std::uint8_t> Payload(const std::string& path, std::size_t headers) {
  std::vector<std::uint8_t> bytes = testing::ReadFile(path);
  return std::vector<std::uint8_t>(bytes.begin() + headers, bytes.end());
}

// The final stream files of a base name, by kind, in no particular order.
std::map<std::string, std::vector<std::uint32_t>> FinalRates(const std::string& folder,
                                                             const std::string& base) {
  std::map<std::string, std::vector<std::uint32_t>> rates;
  std::regex name(base + "_([0-9]+)bps\\.(video|audio)\\.zq48");
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::smatch m;
    std::string file = entry.path().filename().string();
    if (std::regex_match(file, m, name)) rates[m[2]].push_back(std::stoul(m[1]));
  }
  return rates;
}

// Checks the package of one input encoded with the default ladder (48, 218
// and 350 kbps at 15 fps: 128x96, 240x176 and 320x240).
void ExpectPackage(const std::string& out, const std::string& base, double seconds) {
  for (const char* f : {".html", ".meta.zq48"}) EXPECT_TRUE(fs::exists(out + "/" + base + f)) << f;
  for (const char* tag : {"_dr40_fr15.00_w128_h96_Ch1_Sr8000_Br8", "_dr202_fr15.00_w240_h176_Ch1_Sr8000_Br16",
                          "_dr334_fr15.00_w320_h240_Ch1_Sr8000_Br16"}) {
    std::string minimal = out + "/" + base + "_" + tag + ".min.audio.zq48";
    EXPECT_EQ(testing::ReadFile(minimal), std::vector<std::uint8_t>(12, 0)) << minimal;
  }
  std::optional<Metafile> meta = ReadMetafile(out + "/" + base + ".meta.zq48", nullptr);
  ASSERT_TRUE(meta);
  ASSERT_EQ(meta->videoRates.size(), 3u);
  ASSERT_EQ(meta->audioRates.size(), 3u);
  const int widths[] = {128, 240, 320}, heights[] = {96, 176, 240};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    std::string video = out + "/" + base + "_" + std::to_string(meta->videoRates[i]) + "bps.video.zq48";
    std::string audio = out + "/" + base + "_" + std::to_string(meta->audioRates[i]) + "bps.audio.zq48";
    ASSERT_TRUE(fs::exists(video));
    ASSERT_TRUE(fs::exists(audio));
    for (const std::string& f : {video, audio}) {
      auto report = InspectStreamFile(f, StreamFileKindOfName(f), nullptr);
      ASSERT_TRUE(report);
      EXPECT_TRUE(report->problems.empty()) << f << ": " << report->problems.front();
    }
    testing::DecodedVideo pictures = testing::DecodeMpeg4(Payload(video, 24));
    EXPECT_EQ(pictures.errors, 0);
    EXPECT_EQ(pictures.width, widths[i]);
    EXPECT_EQ(pictures.height, heights[i]);
    EXPECT_NEAR(static_cast<double>(pictures.pictures.size()), seconds * 15, 1.0);
    testing::DecodedMp3 sound = testing::DecodeMp3(Payload(audio, 12));
    EXPECT_EQ(sound.errors, 0);
    EXPECT_EQ(sound.sampleRate, 8000);
    EXPECT_EQ(sound.channels, 1);
    // The encoder adds its own delay and pads the last frame: about 0.2 s at 8000 Hz.
    EXPECT_NEAR(static_cast<double>(sound.samples) / 8000, seconds + 0.15, 0.15);
  }
  // The names carry exactly the rates the metafile lists.
  auto named = FinalRates(out, base);
  auto sorted = [](std::vector<std::uint32_t> v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
  };
  EXPECT_EQ(sorted(named["video"]), sorted(meta->videoRates));
  EXPECT_EQ(sorted(named["audio"]), sorted(meta->audioRates));
}

// Pause holds every delivery until Resume; nothing is lost or repeated.
TEST(GeneralDecode, PauseHoldsTheDecodeAndResumeDeliversTheRest) {
  TempDir dir;
  const std::string clip = dir.File("clip.avi");
  testing::WriteAvi(clip, ClipSpec{.seconds = 2.0});
  auto run = [&](bool pause) {
    DecodeGraph graph;
    EXPECT_EQ(graph.Open(clip, true, true), DecodeGraph::OpenStatus::Ok);
    std::atomic<int> pictures{0};
    std::atomic<std::size_t> soundBytes{0};
    std::promise<void> done;
    std::future<void> ended = done.get_future();
    if (pause) graph.Pause();
    EXPECT_TRUE(graph.Run([&](double, const std::uint8_t*, std::size_t) { ++pictures; },
                          [&](double, const std::uint8_t*, std::size_t n) { soundBytes += n; },
                          [&] { done.set_value(); }));
    if (pause) {
      EXPECT_EQ(ended.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
      EXPECT_EQ(pictures.load(), 0);
      EXPECT_EQ(soundBytes.load(), 0u);
      graph.Resume();
    }
    EXPECT_EQ(ended.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    graph.Stop();
    return std::make_pair(pictures.load(), soundBytes.load());
  };
  const auto straight = run(false);
  EXPECT_EQ(straight.first, 30);
  EXPECT_EQ(straight.second, 2u * 22050 * 2);
  EXPECT_EQ(run(true), straight);
}

// swscale converts rows of 360 pixels in blocks that end past the row: the
// pictures must still be written inside their buffers (an address
// sanitizer build sees a write past one) and delivered whole.
TEST(GeneralDecode, RowsThatAreNotWholeBlocksConvertInsideTheirPictures) {
  TempDir dir;
  const std::string clip = dir.File("narrow.avi");
  testing::WriteAvi(clip, ClipSpec{.width = 360, .height = 96, .seconds = 1.0, .audio = false});
  DecodeGraph graph;
  ASSERT_EQ(graph.Open(clip, true, false), DecodeGraph::OpenStatus::Ok);
  std::atomic<int> pictures{0}, whole{0};
  std::promise<void> done;
  std::future<void> ended = done.get_future();
  ASSERT_TRUE(graph.Run([&](double, const std::uint8_t*, std::size_t n) { ++pictures, whole += n == 360 * 96 * 3; },
                        nullptr, [&] { done.set_value(); }));
  ASSERT_EQ(ended.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  graph.Stop();
  EXPECT_EQ(pictures.load(), 15);
  EXPECT_EQ(whole.load(), 15);
}

TEST(GeneralDecode, EncodesAviAndMpegFilesIntoTheirPackages) {
  TempDir dir;
  std::string avi = dir.File("My Movie.avi");
  testing::WriteAvi(avi, ClipSpec{.width = 320, .height = 240, .fpsNum = 25, .seconds = 4.0,
                                   .sampleRate = 44100, .channels = 2});
  std::string mpg = dir.File("clip.mpg");
  testing::WriteMpegPs(mpg, ClipSpec{.width = 320, .height = 240, .fpsNum = 25, .seconds = 3.0});
  std::string out = dir.File("out");
  ASSERT_EQ(RunCli("-o '" + out + "' '" + avi + "' '" + mpg + "'"), 0);
  ExpectPackage(out, "My_Movie", 4.0);
  ExpectPackage(out, "clip", 3.0);
  EXPECT_GT(fs::file_size(out + "/zqmPlayer.jar"), 1000u);
  EXPECT_TRUE(fs::exists(out + "/buttons.gif"));
}

TEST(GeneralDecode, BadFilesInABatchAreRefusedAndTheRestIsEncoded) {
  TempDir dir;
  std::string good = dir.File("good.avi");
  testing::WriteAvi(good, ClipSpec{.seconds = 1.0});
  std::string empty = dir.File("empty.avi"), garbage = dir.File("garbage.avi"),
              cut = dir.File("cut.avi"), sound = dir.File("sound.wav");
  testing::WriteZeroByte(empty);
  testing::WriteGarbage(garbage, 4096);
  testing::WriteTruncated(good, cut, 300);
  testing::WriteWav(sound);
  std::string out = dir.File("out");
  EXPECT_EQ(RunCli("-o '" + out + "' '" + empty + "' '" + garbage + "' '" + cut + "' '" + sound +
                   "' '" + good + "'"),
            1);
  EXPECT_TRUE(fs::exists(out + "/good.html"));
  EXPECT_EQ(FinalRates(out, "good")["video"].size(), 3u);
  for (const char* refused : {"empty", "garbage", "cut", "sound"})
    EXPECT_FALSE(fs::exists(out + "/" + std::string(refused) + ".html")) << refused;
}

// Drives a job through the engine directly, with hand-made variants.
using testing::QuietHost;

class EngineJob : public ::testing::Test {
 protected:
  void Add(const std::string& path) {
    FfmpegGeneralMedia general;
    MediaProbe probe(catalog_, notifier_, MediaServices{&general, nullptr});
    ASSERT_TRUE(probe.Probe(path));
    catalog_.AddInputPath(path);
    catalog_.MutableOptions(path).volume = 1.0f;
  }
  void Run(const std::string& out) {
    ASSERT_EQ(controller_.Encode(out), EncodeController::EncodeResult::Started);
    ASSERT_TRUE(host_.Wait(std::chrono::seconds(120)));
    controller_.HandleJobFinished();
  }

  TempDir dir_;
  InputCatalog catalog_;
  RecordingNotifier notifier_;
  MemorySettingsStore store_;
  QuietHost host_;
  DecodeWorkerFactory workers_;
  PackageOutputs outputs_;
  EncodeController controller_{catalog_, store_, notifier_, host_, workers_, outputs_, false};
};

TEST_F(EngineJob, AVariantWithoutSoundMakesNoAudioFiles) {
  std::string avi = dir_.File("clip.avi");
  testing::WriteAvi(avi, ClipSpec{.seconds = 1.0});
  Add(avi);
  MakeFilter(catalog_, avi, 200, 15.0, /*audioOn=*/0, /*videoOn=*/1);
  std::string out = dir_.File("out");
  Run(out);
  EXPECT_TRUE(notifier_.texts().empty()) << notifier_.texts().front();
  for (const auto& entry : fs::directory_iterator(out))
    EXPECT_EQ(entry.path().string().find(".audio."), std::string::npos) << entry.path();
  std::optional<Metafile> meta = ReadMetafile(out + "/clip.meta.zq48", nullptr);
  ASSERT_TRUE(meta);
  EXPECT_EQ(meta->videoRates.size(), 1u);
  EXPECT_TRUE(meta->audioRates.empty());
}

TEST_F(EngineJob, ARangeIsCutToWholeSeconds) {
  std::string avi = dir_.File("long.avi");
  testing::WriteAvi(avi, ClipSpec{.width = 64, .height = 48, .fpsNum = 15, .seconds = 34.0,
                                   .sampleRate = 8000});
  Add(avi);
  catalog_.MutableOptions(avi).beginTime = 12.7;
  catalog_.MutableOptions(avi).endTime = 30.2;
  MakeFilter(catalog_, avi, 100, 15.0, 1, 1);
  std::string out = dir_.File("out");
  Run(out);
  auto rates = FinalRates(out, "long");
  ASSERT_EQ(rates["video"].size(), 1u);
  ASSERT_EQ(rates["audio"].size(), 1u);
  // 12 s to 30 s: 18 s of pictures at 15 fps and of sound at 8000 Hz.
  std::string video = out + "/long_" + std::to_string(rates["video"][0]) + "bps.video.zq48";
  EXPECT_NEAR(static_cast<double>(testing::DecodeMpeg4(Payload(video, 24)).pictures.size()), 18 * 15, 1.0);
  std::string audio = out + "/long_" + std::to_string(rates["audio"][0]) + "bps.audio.zq48";
  EXPECT_NEAR(testing::DecodeMp3(Payload(audio, 12)).samples / 8000.0, 18.0, 0.2);
}

TEST_F(EngineJob, StopDeletesTheVariantInProgressAndKeepsWhatWasFinished) {
  std::string first = dir_.File("first.avi"), second = dir_.File("second.avi");
  testing::WriteAvi(first, ClipSpec{.seconds = 1.0});
  testing::WriteAvi(second, ClipSpec{.width = 640, .height = 480, .seconds = 60.0});
  Add(first);
  Add(second);
  MakeFilter(catalog_, first, 200, 15.0, 1, 1);
  MakeFilter(catalog_, second, 900, 15.0, 1, 1);
  std::string out = dir_.File("out");
  ASSERT_EQ(controller_.Encode(out), EncodeController::EncodeResult::Started);
  // Wait until the second file's variant is under way, then stop.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  auto working = [&] {
    RunningVariants running = controller_.State().running.Get();
    return running.sourcePath == second && !running.variants.empty() &&
           running.variants.front()->progress.Get().video > 0.5;
  };
  while (!working() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  controller_.Stop();
  ASSERT_TRUE(host_.Wait(std::chrono::seconds(60)));
  controller_.HandleJobFinished();

  EXPECT_TRUE(fs::exists(out + "/first.html"));
  EXPECT_EQ(FinalRates(out, "first")["video"].size(), 1u);
  // Of the stopped variant only the 12-byte minimal audio file is left.
  for (const auto& entry : fs::directory_iterator(out)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("second", 0) == 0) {
      EXPECT_NE(name.find(".min.audio.zq48"), std::string::npos) << name;
    }
  }
}

}  // namespace
}  // namespace zq48

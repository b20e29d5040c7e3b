// One decode feeding every variant of a file: the files are byte for byte
// those of the one-variant-at-a-time order, on every input kind, and Stop
// and Pause work on a job of groups.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <thread>

#include "core/settings_store.h"
#include "sources/probe.h"
#include "encode/encode_controller.h"
#include "encode/filter_ladder.h"
#include "encode/job_progress.h"
#include "encode/variant_group.h"
#include "sources/ffmpeg_general_media.h"
#include "sources/ffmpeg_movie_media.h"
#include "encode/pipeline/worker_factory.h"
#include "support/engine_run.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;
using testing::ClipSpec;
using testing::TempDir;
using Folder = std::map<std::string, std::vector<std::uint8_t>>;

Folder ReadFolder(const std::string& dir) {
  Folder files;
  for (const auto& e : fs::directory_iterator(dir)) {
    std::ifstream in(e.path(), std::ios::binary);
    files[e.path().filename().string()].assign(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

int RunCli(const std::string& args) {
  int raw = std::system((std::string(ZQ48ENC_PATH) + " " + args + " 2>/dev/null").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Encodes `input` with `options` both ways and compares the two folders.
void ExpectSameBothWays(const TempDir& dir, const std::string& input, const std::string& options) {
  SCOPED_TRACE(input + " " + options);
  const std::string grouped = dir.File("grouped"), sequential = dir.File("sequential");
  fs::remove_all(grouped);
  fs::remove_all(sequential);
  const int status = RunCli(options + " -o '" + grouped + "' '" + input + "'");
  ASSERT_EQ(RunCli("--sequential " + options + " -o '" + sequential + "' '" + input + "'"), status);
  Folder a = ReadFolder(grouped), b = ReadFolder(sequential);
  int streams = 0;
  for (const auto& [name, bytes] : a) streams += name.ends_with("bps.video.zq48");
  EXPECT_GE(streams, 2);  // a group of several variants really ran
  ASSERT_EQ(a.size(), b.size());
  for (const auto& [name, bytes] : a) {
    ASSERT_TRUE(b.count(name)) << name;
    EXPECT_TRUE(bytes == b.at(name)) << name << " differs";
  }
}

TEST(GroupDecode, TheSameFilesAsOneVariantAtATimeOnEveryInputKind) {
  TempDir dir;
  const ClipSpec clip{.width = 320, .height = 240, .seconds = 3.0, .sampleRate = 44100, .channels = 2};
  const std::string avi = dir.File("clip.avi"), mpg = dir.File("clip.mpg"), mp4 = dir.File("clip.mp4"),
                    mov = dir.File("clip.mov");
  testing::WriteAvi(avi, clip);
  testing::WriteMpegPs(mpg, ClipSpec{.width = 320, .height = 240, .fpsNum = 25, .seconds = 3.0});
  testing::WriteMp4(mp4, clip);
  testing::WriteMovie(mov, clip);
  for (const std::string& input : {avi, mpg, mp4, mov}) ExpectSameBothWays(dir, input, "");
  ExpectSameBothWays(dir, avi, "--begin 1 --end 2.5");
  ExpectSameBothWays(dir, mpg, "--begin 1 --end 3");
  ExpectSameBothWays(dir, avi, "--crop 8,16,4,12");
  ExpectSameBothWays(dir, avi, "--volume 0.6");
}

TEST(GroupDecode, GroupsShareARangeAndNeverAWorkingFile) {
  auto filter = [](int kbps, double begin, double end, float volume = 1.0f) {
    OutputFilter f;
    f.videoBitRate = kbps;
    f.width = 160;
    f.height = 128;
    f.frameRate = 15;
    f.beginTime = begin;
    f.endTime = end;
    f.volume = volume;
    return f;
  };
  const std::vector<OutputFilter> list = {filter(100, 0, 0), filter(200, 0, 0), filter(300, 1, 2),
                                          filter(300, 1, 2, 0.5f), filter(400, 1, 2)};
  EXPECT_EQ(GroupSize(list, 0), 2u);  // the range changes after two
  EXPECT_EQ(GroupSize(list, 2), 1u);  // the next one differs only in volume: the same working file
  EXPECT_EQ(GroupSize(list, 3), 2u);
  EXPECT_EQ(GroupSize(list, 5), 0u);
}

using testing::EngineRun;

// An expert list whose variants have different ranges, crops and volumes.
TEST(GroupDecode, AnExpertListGivesTheSameFilesBothWays) {
  TempDir dir;
  const std::string avi = dir.File("clip.avi");
  testing::WriteAvi(avi, ClipSpec{.width = 320, .height = 240, .seconds = 4.0, .sampleRate = 22050, .channels = 2});
  Folder results[2];
  for (bool sequential : {false, true}) {
    EngineRun run(sequential);
    ASSERT_TRUE(run.Add(avi));
    MakeFilter(run.catalog, avi, 100, 15.0, 1, 1);
    MakeFilter(run.catalog, avi, 300, 10.0, 1, 1)->cropLeft = 16;
    OutputFilter* ranged = MakeFilter(run.catalog, avi, 200, 15.0, 1, 1);
    ranged->beginTime = 1;
    ranged->endTime = 3;
    OutputFilter* quiet = MakeFilter(run.catalog, avi, 200, 15.0, 1, 1);
    *quiet = *ranged;
    quiet->volume = 0.5f;  // the same working name as the one before it
    MakeFilter(run.catalog, avi, 150, 18.0, 0, 1);
    const std::string out = dir.File(sequential ? "sequential" : "grouped");
    ASSERT_EQ(run.engine.Start(out), EncodeController::EncodeResult::Started);
    ASSERT_TRUE(run.host.Wait(std::chrono::seconds(120)));
    run.engine.HandleJobFinished();
    EXPECT_EQ(run.notifier.texts(), std::vector<std::string>{});
    results[sequential] = ReadFolder(out);
  }
  ASSERT_EQ(results[0].size(), results[1].size());
  for (const auto& [name, bytes] : results[0]) {
    ASSERT_TRUE(results[1].count(name)) << name;
    EXPECT_TRUE(bytes == results[1].at(name)) << name << " differs";
  }
}

// Stop in the middle of a group: everything of the finished file stays,
// nothing of the stopped group is left, and the job ends; for both kinds of
// source (the movie-file workers watch the job's stop flag).
TEST(GroupDecode, StopDeletesEveryVariantInProgressAndKeepsWhatWasFinished) {
  for (const char* extension : {".avi", ".mov"}) {
    SCOPED_TRACE(extension);
    TempDir dir;
    const std::string first = dir.File(std::string("first") + extension),
                      second = dir.File(std::string("second") + extension), out = dir.File("out");
    const bool movie = std::string(extension) == ".mov";
    const ClipSpec shortClip{.seconds = 1.0}, longClip{.width = 640, .height = 480, .seconds = 20.0};
    movie ? testing::WriteMovie(first, shortClip) : testing::WriteAvi(first, shortClip);
    movie ? testing::WriteMovie(second, longClip) : testing::WriteAvi(second, longClip);
    EngineRun run(false, movie);
    ASSERT_TRUE(run.Add(first));
    ASSERT_TRUE(run.Add(second));
    GenerateSimpleFilters(run.catalog, first);
    GenerateSimpleFilters(run.catalog, second);
    ASSERT_EQ(run.engine.Start(out), EncodeController::EncodeResult::Started);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(out + "/first.meta.zq48") && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    run.engine.Stop();
    ASSERT_TRUE(run.host.Wait(std::chrono::seconds(60)));
    run.engine.HandleJobFinished();
    EXPECT_TRUE(fs::exists(out + "/first.html"));
    for (const auto& e : fs::directory_iterator(out)) {
      const std::string name = e.path().filename().string();
      EXPECT_FALSE(name.starts_with("second_") && name.find("bps.") != std::string::npos) << name;
      EXPECT_FALSE(name.find("__dr") != std::string::npos && !name.ends_with(".min.audio.zq48")) << name;
    }
  }
}

// Pause holds the whole group; Resume lets it run to its end.
TEST(GroupDecode, PauseHoldsTheGroupAndResumeFinishesIt) {
  TempDir dir;
  const std::string avi = dir.File("clip.avi"), out = dir.File("out");
  testing::WriteAvi(avi, ClipSpec{.width = 640, .height = 480, .seconds = 6.0});
  EngineRun run(false);
  ASSERT_TRUE(run.Add(avi));
  GenerateSimpleFilters(run.catalog, avi);
  ASSERT_EQ(run.engine.Start(out), EncodeController::EncodeResult::Started);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  run.engine.Pause();
  // What was queued drains (slowly on a sanitizer build), then nothing moves.
  int held = run.engine.Progress().filePosition;
  for (int i = 0; i < 40; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int now = run.engine.Progress().filePosition;
    if (now == held) break;
    held = now;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(run.engine.Progress().filePosition, held);
  EXPECT_FALSE(fs::exists(out + "/clip.meta.zq48"));
  ASSERT_EQ(run.engine.Start(out), EncodeController::EncodeResult::Resumed);
  ASSERT_TRUE(run.host.Wait(std::chrono::seconds(120)));
  run.engine.HandleJobFinished();
  EXPECT_TRUE(fs::exists(out + "/clip.meta.zq48"));
  EXPECT_EQ(run.notifier.texts(), std::vector<std::string>{});
}

// Resume lets only a paused job go on: not one that is not there, nor one that has ended.
TEST(GroupDecode, ResumeGoesOnOnlyWithAPausedJob) {
  TempDir dir;
  const std::string avi = dir.File("clip.avi"), out = dir.File("out");
  testing::WriteAvi(avi, ClipSpec{.seconds = 2.0});
  EngineRun run(false);
  ASSERT_TRUE(run.Add(avi));
  GenerateSimpleFilters(run.catalog, avi);
  EXPECT_FALSE(run.engine.Resume());
  ASSERT_EQ(run.engine.Start(out), EncodeController::EncodeResult::Started);
  run.engine.Pause();
  EXPECT_TRUE(run.engine.State().Paused());
  EXPECT_TRUE(run.engine.Resume());
  EXPECT_FALSE(run.engine.State().Paused());
  ASSERT_TRUE(run.host.Wait(std::chrono::seconds(120)));
  EXPECT_FALSE(run.engine.Resume());  // ended, waiting to be cleaned up
  run.engine.HandleJobFinished();
  EXPECT_FALSE(run.engine.Resume());
  EXPECT_TRUE(fs::exists(out + "/clip.meta.zq48"));
}

}  // namespace
}  // namespace zq48

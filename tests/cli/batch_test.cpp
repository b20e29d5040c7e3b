// Encodes as batch scripts do: JSON progress, rerunnable batches, several
// processes sharing one destination.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include <QJsonArray>

#include "cli/cli_run.h"
#include "container/metafile.h"
#include "encode/package/finish_variant.h"
#include "encode/package/package_check.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;
using testing::ClipSpec;
using testing::Events;
using testing::Quote;
using testing::CliRun;
using testing::Str;

constexpr const char* kTwoRungs = "--range-begin 100 --range-end 200 ";

class Batch : public ::testing::Test {
 protected:
  CliRun Exec(const std::string& args) { return testing::Zq48enc(args, dir_.path()); }
  std::string Clip(const std::string& name, ClipSpec clip = ClipSpec{.seconds = 1.0}) {
    const std::string path = dir_.File(name);
    testing::WriteAvi(path, clip);
    return path;
  }
  // Every file of the folder with its last change.
  std::map<std::string, fs::file_time_type> Listing(const std::string& folder) {
    std::map<std::string, fs::file_time_type> out;
    for (const auto& e : fs::directory_iterator(folder)) out[e.path().filename().string()] = e.last_write_time();
    return out;
  }
  testing::TempDir dir_;
};

TEST_F(Batch, ProgressJsonReportsFinishedRefusedAndFailedFiles) {
  const std::string good = Clip("good.avi"), broken = Clip("broken.avi"), bad = dir_.File("bad.avi");
  testing::WriteGarbage(bad, 3000);
  const std::string out = dir_.File("out");
  // The page of this file cannot be written: a folder that is not empty stands in its place.
  fs::create_directories(out + "/broken.html/keep");
  CliRun run = Exec(std::string("--progress=json ") + kTwoRungs + "-o " + Quote(out) + " " + Quote(good) + " " +
                 Quote(bad) + " " + Quote(broken));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  std::vector<QJsonObject> events = testing::ParseLines(run.err);

  std::vector<QJsonObject> refused = Events(events, "file_refused");
  ASSERT_EQ(refused.size(), 1u) << run.err;
  EXPECT_EQ(Str(refused[0]["file"]), bad);
  EXPECT_EQ(Str(refused[0]["message"]), "Can't open " + bad + " file.");
  EXPECT_EQ(Str(refused[0]["caption"]), "ZQ48 Encoder");

  std::vector<QJsonObject> finished = Events(events, "variant_finished");
  ASSERT_EQ(finished.size(), 4u) << run.err;
  for (const QJsonObject& v : finished) {
    const std::string base = Str(v["file"]) == good ? "good" : "broken";
    const std::string video = Str(v["video_file"]), audio = Str(v["audio_file"]);
    EXPECT_EQ(video, out + "/" + base + "_" + std::to_string(v["video_bit_rate_bps"].toInteger()) + "bps.video.zq48");
    EXPECT_EQ(audio, out + "/" + base + "_" + std::to_string(v["audio_bit_rate_bps"].toInteger()) + "bps.audio.zq48");
    EXPECT_TRUE(fs::exists(video)) << video;
    EXPECT_TRUE(fs::exists(audio)) << audio;
    EXPECT_GT(v["video_bit_rate_bps"].toInteger(), 0);
    EXPECT_EQ(v["video_file_bytes"].toInteger(), static_cast<qint64>(fs::file_size(video)));
    EXPECT_EQ(v["audio_file_bytes"].toInteger(), static_cast<qint64>(fs::file_size(audio)));
    // The pictures' quality: plausible decibels, the worst no better than the mean.
    EXPECT_GT(v["psnr_y_db"].toDouble(), 20.0);
    EXPECT_LT(v["psnr_y_db"].toDouble(), 60.0);
    EXPECT_GT(v["psnr_db"].toDouble(), 20.0);
    EXPECT_LE(v["worst_psnr_y_db"].toDouble(), v["psnr_y_db"].toDouble());
    EXPECT_GE(v["worst_at_s"].toDouble(), 0.0);
  }
  EXPECT_EQ(finished[0]["variant_index"].toInt(), 0);
  EXPECT_EQ(finished[1]["variant_index"].toInt(), 1);
  EXPECT_EQ(finished[1]["target_video_bit_rate_kbps"].toInt(), 184);

  std::vector<QJsonObject> failed = Events(events, "file_failed");
  ASSERT_GE(failed.size(), 1u) << run.err;
  for (const QJsonObject& f : failed) EXPECT_EQ(Str(f["file"]), broken);
  // The page is written aside and renamed: the rename over the folder fails.
  EXPECT_EQ(Str(failed[0]["message"]), "Error write HTML");

  std::vector<QJsonObject> progress = Events(events, "progress");
  ASSERT_GE(progress.size(), 1u);
  for (const QJsonObject& p : progress) {
    EXPECT_GE(p["job_percent"].toInt(), 0);
    EXPECT_LE(p["job_percent"].toInt(), 100);
    EXPECT_EQ(p["files"].toInt(), 2);
  }

  ASSERT_EQ(Str(events.back()["event"]), "job_finished");
  QJsonObject end = events.back();
  EXPECT_EQ(end["files"].toInt(), 3);
  EXPECT_EQ(end["files_encoded"].toInt(), 1);
  EXPECT_EQ(end["files_refused"].toInt(), 1);
  EXPECT_EQ(end["files_failed"].toInt(), 1);
  EXPECT_EQ(end["files_skipped"].toInt(), 0);
  EXPECT_EQ(end["variants_finished"].toInt(), 4);
  EXPECT_EQ(end["variants_failed"].toInt(), 0);
  EXPECT_EQ(end["exit_status"].toInt(), 1);
  EXPECT_FALSE(end["stopped"].toBool());
  // The summary lists the same variants with the same figures.
  const QJsonArray listed = end["variants"].toArray();
  ASSERT_EQ(listed.size(), 4);
  for (int i = 0; i < 4; ++i) {
    QJsonObject v = listed[i].toObject();
    EXPECT_TRUE(v["finished"].toBool());
    v.remove("finished");
    QJsonObject event = finished[static_cast<std::size_t>(i)];
    event.remove("event");
    EXPECT_EQ(v, event);
  }
}

TEST_F(Batch, SkipCompleteRedoesOnlyWhatIsMissingOrDamaged) {
  const std::vector<std::string> names = {"whole", "nometa", "cut", "nopage", "nostream", "relabelled"};
  std::string files;
  for (const std::string& n : names) files += " " + Quote(Clip(n + ".avi"));
  const std::string out = dir_.File("out");
  ASSERT_EQ(Exec(std::string(kTwoRungs) + "-o " + Quote(out) + files).status, 0);
  for (const std::string& n : names) EXPECT_EQ(PackageProblem(out + "/", dir_.File(n + ".avi")), std::nullopt) << n;

  // Damage four of the five packages, each in another way.
  fs::remove(out + "/nometa.meta.zq48");
  fs::remove(out + "/nopage.html");
  std::string cutStream, goneStream;
  for (const auto& e : fs::directory_iterator(out)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("cut_", 0) == 0 && name.find(".video.") != std::string::npos) cutStream = e.path().string();
    if (name.rfind("nostream_", 0) == 0 && name.find(".audio.") != std::string::npos) goneStream = e.path().string();
  }
  ASSERT_FALSE(cutStream.empty());
  ASSERT_FALSE(goneStream.empty());
  fs::resize_file(cutStream, fs::file_size(cutStream) - 100);
  fs::remove(goneStream);
  // A metafile whose rate no longer agrees with its stream's header, though
  // the stream is there under the name the metafile gives.
  const std::string relabelled = dir_.File("relabelled.avi");
  std::optional<Metafile> meta = ReadMetafile(MetafileName(out + "/", relabelled, false), nullptr);
  ASSERT_TRUE(meta);
  const std::uint32_t rate = meta->videoRates[0];
  meta->videoRates[0] = rate + 1000;
  ASSERT_EQ(WriteMetafile(MetafileName(out + "/", relabelled, false), *meta), std::nullopt);
  fs::rename(FinalVideoName(out + "/", relabelled, rate), FinalVideoName(out + "/", relabelled, rate + 1000));
  for (const char* n : {"nometa", "cut", "nopage", "nostream", "relabelled"})
    EXPECT_NE(PackageProblem(out + "/", dir_.File(std::string(n) + ".avi")), std::nullopt) << n;
  EXPECT_NE(PackageProblem(out + "/", dir_.File("cut.avi"))->find("payload"), std::string::npos);
  EXPECT_NE(PackageProblem(out + "/", relabelled)->find("its header gives"), std::string::npos);
  const auto wholeBefore = Listing(out);

  CliRun rerun = Exec(std::string("--skip-complete --progress=json ") + kTwoRungs + "-o " + Quote(out) + files);
  EXPECT_EQ(rerun.status, 0) << rerun.err;
  std::vector<QJsonObject> events = testing::ParseLines(rerun.err);
  std::vector<QJsonObject> skipped = Events(events, "file_skipped");
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(Str(skipped[0]["file"]), dir_.File("whole.avi"));
  EXPECT_EQ(Events(events, "file_incomplete").size(), 5u);
  std::set<std::string> encoded;
  for (const QJsonObject& v : Events(events, "variant_finished")) encoded.insert(Str(v["file"]));
  EXPECT_EQ(encoded.size(), 5u);
  EXPECT_EQ(encoded.count(dir_.File("whole.avi")), 0u);
  EXPECT_EQ(events.back()["files_skipped"].toInt(), 1);
  EXPECT_EQ(events.back()["files_encoded"].toInt(), 5);
  for (const std::string& n : names) EXPECT_EQ(PackageProblem(out + "/", dir_.File(n + ".avi")), std::nullopt) << n;
  // The complete package was not touched.
  const auto after = Listing(out);
  for (const auto& [name, time] : wholeBefore) {
    if (name.rfind("whole", 0) == 0) {
      EXPECT_EQ(after.at(name), time) << name;
    }
  }

  // Everything is complete now: nothing is encoded, and that is success.
  CliRun third = Exec(std::string("--skip-complete ") + kTwoRungs + "-o " + Quote(out) + files);
  EXPECT_EQ(third.status, 0) << third.err;
  for (const std::string& n : names)
    EXPECT_NE(third.err.find("zq48enc: " + dir_.File(n + ".avi") + ": skipped, its package is complete"),
              std::string::npos);
}

// Holds the lock of `base` in `folder` the way a running zq48enc does.
int HoldLock(const std::string& folder, const std::string& base) {
  const int fd = ::open((folder + "/." + base + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  return fd;
}

TEST_F(Batch, ASecondProcessRefusesABaseNameThatIsBeingWritten) {
  const std::string out = dir_.File("out");
  fs::create_directories(out);
  const std::string clip = Clip("clip.avi");

  // Another process holds the lock: the file is refused and nothing of it is written.
  pid_t holder = fork();
  ASSERT_GE(holder, 0);
  int ready[2];
  if (holder == 0) {
    HoldLock(out, "clip");
    pause();  // until killed
    _exit(0);
  }
  while (!fs::exists(out + "/.clip.lock")) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  (void)ready;
  // The file exists a moment before the lock is taken: wait until it is.
  for (int fd = -1;;) {
    fd = ::open((out + "/.clip.lock").c_str(), O_RDWR);
    const bool busy = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    if (busy) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const std::string other = Clip("other.avi");
  CliRun refused = Exec(std::string(kTwoRungs) + "-o " + Quote(out) + " " + Quote(clip) + " " + Quote(other));
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("zq48enc: " + clip + ": another zq48enc is writing its package clip into " + out +
                             "/ (it holds " + out + "/.clip.lock)"),
            std::string::npos)
      << refused.err;
  EXPECT_FALSE(fs::exists(out + "/clip.meta.zq48"));
  EXPECT_TRUE(fs::exists(out + "/other.meta.zq48"));  // the other file is not held up
  EXPECT_FALSE(fs::exists(out + "/.other.lock"));     // and its lock is gone with the process

  // The holder dies without cleaning up: its lock file stays, its lock does not.
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ASSERT_TRUE(fs::exists(out + "/.clip.lock"));
  CliRun after = Exec(std::string(kTwoRungs) + "-o " + Quote(out) + " " + Quote(clip));
  EXPECT_EQ(after.status, 0) << after.err;
  EXPECT_EQ(PackageProblem(out + "/", clip), std::nullopt);
  EXPECT_FALSE(fs::exists(out + "/.clip.lock"));
}

TEST_F(Batch, TwoEncodersOfTheSameBaseNameDoNotBothWriteIt) {
  const std::string out = dir_.File("out");
  const std::string longClip = Clip("film.avi", ClipSpec{.width = 320, .height = 240, .seconds = 40.0});
  fs::create_directories(dir_.File("elsewhere"));
  const std::string twin = dir_.File("elsewhere/film.avi");
  testing::WriteAvi(twin, ClipSpec{.seconds = 1.0});

  // The first encoder runs in the background; once it reports progress it holds its lock.
  const std::string firstErr = dir_.File("first.err");
  const std::string command = std::string(ZQ48ENC_PATH) + " --progress=json -o " + Quote(out) + " " +
                              Quote(longClip) + " 2>" + Quote(firstErr);
  pid_t first = fork();
  ASSERT_GE(first, 0);
  if (first == 0) {
    execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int i = 0; i < 3000 && testing::ReadText(firstErr).find("\"progress\"") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_NE(testing::ReadText(firstErr).find("\"progress\""), std::string::npos);

  CliRun second = Exec("--progress=json -o " + Quote(out) + " " + Quote(twin));
  EXPECT_EQ(second.status, 1);
  std::vector<QJsonObject> events = testing::ParseLines(second.err);
  std::vector<QJsonObject> refused = Events(events, "file_refused");
  ASSERT_EQ(refused.size(), 1u) << second.err;
  EXPECT_EQ(Str(refused[0]["file"]), twin);
  EXPECT_NE(Str(refused[0]["message"]).find("another zq48enc is writing its package film"), std::string::npos);
  EXPECT_EQ(events.back()["files_refused"].toInt(), 1);

  // The first one is stopped as Ctrl-C stops it; its lock goes with it.
  ::kill(first, SIGINT);
  int raw = 0;
  ::waitpid(first, &raw, 0);
  EXPECT_TRUE(WIFEXITED(raw));
  EXPECT_EQ(WEXITSTATUS(raw), 130);
  std::vector<QJsonObject> firstEvents = testing::ParseLines(testing::ReadText(firstErr));
  ASSERT_FALSE(firstEvents.empty());
  EXPECT_TRUE(firstEvents.back()["stopped"].toBool());
  EXPECT_FALSE(fs::exists(out + "/.film.lock"));
}

// The recipe of the README's "Encoding on many machines", on this machine:
// GNU parallel runs one zq48enc per film into one shared folder.
TEST_F(Batch, GnuParallelEncodesALibraryIntoOneFolderAndARerunDoesNothing) {
  const std::string films = dir_.File("films"), out = dir_.File("archive");
  fs::create_directories(films);
  std::vector<std::string> paths;
  for (int i = 0; i < 12; ++i) {
    paths.push_back(films + "/film " + std::to_string(i) + ".avi");
    testing::WriteAvi(paths.back(), ClipSpec{.width = 96 + 16 * (i % 3), .height = 64, .seconds = 0.5 + 0.1 * i});
  }
  {
    std::ofstream list(dir_.File("films.txt"));
    for (const std::string& p : paths) list << p << "\n";
  }
  const std::string job = std::string(ZQ48ENC_PATH) + " --skip-complete --range-begin 100 --range-end 100 -o " +
                          Quote(out) + " {}";
  const std::string log = dir_.File("encode.log");
  CliRun first = testing::Shell("parallel --will-cite -j4 --joblog " + Quote(log) + " --retries 2 " + Quote(job) +
                                    " :::: " + Quote(dir_.File("films.txt")),
                                dir_.path());
  ASSERT_EQ(first.status, 0) << first.err;
  for (const std::string& p : paths) EXPECT_EQ(PackageProblem(out + "/", p), std::nullopt) << p;
  EXPECT_TRUE(fs::exists(out + "/zqmPlayer.jar"));
  EXPECT_TRUE(fs::exists(out + "/buttons.gif"));
  // No lock file, no half-written resource is left behind.
  for (const auto& e : fs::directory_iterator(out))
    EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
  // The job log has a line per film (and a header), every one with exit value 0.
  std::istringstream lines(testing::ReadText(log));
  std::string line;
  std::getline(lines, line);
  int jobs = 0;
  for (; std::getline(lines, line); ++jobs) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
    ASSERT_GE(fields.size(), 7u) << line;
    EXPECT_EQ(fields[6], "0") << line;  // Exitval
  }
  EXPECT_EQ(jobs, 12);

  const auto before = Listing(out);
  CliRun second = testing::Shell("parallel --will-cite -j4 " + Quote(job + " --progress=json") + " :::: " +
                                     Quote(dir_.File("films.txt")),
                                 dir_.path());
  EXPECT_EQ(second.status, 0) << second.err;
  std::vector<QJsonObject> events = testing::ParseLines(second.err);
  EXPECT_EQ(Events(events, "file_skipped").size(), 12u);
  EXPECT_EQ(Events(events, "variant_finished").size(), 0u);
  EXPECT_EQ(Events(events, "job_finished").size(), 12u);
  EXPECT_EQ(Listing(out), before);  // nothing written, not even the shared files
}

// The Slurm array script runs one film per task; here each task is run by hand.
TEST_F(Batch, SlurmArrayScriptEncodesTheFilmOfItsTask) {
  const std::string films = dir_.File("films"), out = dir_.File("archive");
  fs::create_directories(films);
  std::ofstream list(dir_.File("films.txt"));
  for (int i = 0; i < 3; ++i) {
    const std::string path = films + "/reel" + std::to_string(i) + ".avi";
    testing::WriteAvi(path, ClipSpec{.seconds = 0.5});
    list << path << "\n";
  }
  list.close();
  const std::string script = std::string(ZQ48_SOURCE_DIR) + "/scripts/zq48-slurm-array.sh";
  for (int task = 0; task < 3; ++task) {
    CliRun run = testing::Shell("SLURM_ARRAY_TASK_ID=" + std::to_string(task) + " ZQ48ENC=" + Quote(ZQ48ENC_PATH) +
                                 " ZQ48_OPTIONS='--range-begin 100 --range-end 100' bash " + Quote(script) + " " +
                                 Quote(dir_.File("films.txt")) + " " + Quote(out),
                             dir_.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(PackageProblem(out + "/", films + "/reel" + std::to_string(task) + ".avi"), std::nullopt);
  }
  CliRun again = testing::Shell("SLURM_ARRAY_TASK_ID=1 ZQ48ENC=" + Quote(ZQ48ENC_PATH) +
                                 " ZQ48_OPTIONS='--range-begin 100 --range-end 100' bash " + Quote(script) + " " +
                                 Quote(dir_.File("films.txt")) + " " + Quote(out),
                             dir_.path());
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.err.find("skipped, its package is complete"), std::string::npos) << again.err;
}

}  // namespace
}  // namespace zq48

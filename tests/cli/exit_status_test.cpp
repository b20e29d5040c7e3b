// The command line's exit status and its job_finished report follow the
// run's summary: the files it refused before the job, and what the engine's
// job says it did. The job runs with fake workers and recording outputs.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "cli/cli_run.h"
#include "cli/job_reporting.h"
#include "cli/json_report.h"
#include "cli/run_summary.h"
#include "core/settings_store.h"
#include "encode/engine.h"
#include "support/fake_workers.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

using cli::RunSummary;
using testing::Events;
using testing::Str;

const std::string kA = "/in/a.avi";
const std::string kB = "/in/b.avi";

OutputFilter Filter(int videoKbps) {
  OutputFilter f;
  f.videoBitRate = videoKbps;
  f.width = 160;
  f.height = 120;
  return f;
}

// A whole job over two files, reported as zq48enc --progress=json reports it.
class ReportedJob : public ::testing::Test {
 protected:
  ReportedJob() {
    for (const std::string& path : {kA, kB}) {
      catalog_.AddInputPath(path);
      MediaFacts& facts = catalog_.MutableFacts(path);
      facts.sourceKind = kSourceGeneral;
      facts.hasVideo = facts.hasAudio = true;
      facts.videoDuration = facts.audioDuration = 2;
    }
    catalog_.AddFilter(kA, Filter(100));
    catalog_.AddFilter(kA, Filter(200));
    catalog_.AddFilter(kB, Filter(300));
  }
  ~ReportedJob() override { std::fclose(out_); }

  // Starts the job; `whileRunning` runs once it has begun its first variant.
  RunSummary Run(const std::function<void()>& whileRunning = {}) {
    EXPECT_EQ(engine_.Start(dest_.path()), EncodeController::EncodeResult::Started);
    if (whileRunning) {
      EXPECT_TRUE(workers_.WaitUntil([](const auto& r) { return !r.empty() && r[0].started; }));
      whileRunning();
    }
    EXPECT_TRUE(events_.WaitFinished(testing::kJobWaitBound));
    engine_.HandleJobFinished();
    RunSummary s;
    s.files = 2;
    s.job = events_.Summary();
    return s;
  }
  // The report's lines so far.
  std::vector<QJsonObject> Reported() {
    std::fflush(out_);
    std::rewind(out_);
    std::string text;
    for (int c; (c = std::fgetc(out_)) != EOF;) text += static_cast<char>(c);
    return testing::ParseLines(text);
  }

  testing::TempDir dest_;
  InputCatalog catalog_;
  std::FILE* out_ = std::tmpfile();
  cli::JsonReport report_{out_};
  cli::ReportingEvents events_{catalog_, report_};
  cli::JobMessages messages_{report_, events_};
  MemorySettingsStore store_;
  testing::EventLog log_;
  testing::FakeWorkerFactory workers_;
  testing::RecordingJobOutputs outputs_{log_};
  Engine engine_{catalog_, store_, messages_, events_, EngineParts{.workers = &workers_, .outputs = &outputs_}};
};

TEST_F(ReportedJob, EverythingDoneIsExitStatusZero) {
  RunSummary s = Run();
  EXPECT_EQ(cli::ExitStatus(s), 0);
  s.exitStatus = cli::ExitStatus(s);
  report_.Ended(s);

  std::vector<QJsonObject> lines = Reported();
  std::vector<QJsonObject> finished = Events(lines, "variant_finished");
  ASSERT_EQ(finished.size(), 3u);
  // Numbered within each file; the names carry the rates the finishing recorded.
  EXPECT_EQ(finished[1]["variant_index"].toInt(), 1);
  EXPECT_EQ(finished[2]["file_index"].toInt(), 1);
  EXPECT_EQ(finished[2]["variant_index"].toInt(), 0);
  EXPECT_EQ(Str(finished[2]["video_file"]), dest_.path() + "/b_300bps.video.zq48");
  EXPECT_EQ(finished[2]["video_bit_rate_bps"].toInt(), 300);
  QJsonObject end = lines.back();
  EXPECT_EQ(Str(end["event"]), "job_finished");
  EXPECT_EQ(end["files"].toInt(), 2);
  EXPECT_EQ(end["files_encoded"].toInt(), 2);
  EXPECT_EQ(end["files_failed"].toInt(), 0);
  EXPECT_EQ(end["variants_finished"].toInt(), 3);
  EXPECT_EQ(end["exit_status"].toInt(), 0);
  EXPECT_FALSE(end["stopped"].toBool());
}

TEST_F(ReportedJob, AFailedVariantIsExitStatusOne) {
  outputs_.variantResult = false;
  RunSummary s = Run();
  EXPECT_EQ(s.job.variantsFailed, 3);
  EXPECT_EQ(s.job.filesFailed, 2);
  EXPECT_EQ(cli::ExitStatus(s), 1);

  // Each failure's message is put down to its file and variant.
  std::vector<QJsonObject> lines = Reported();
  std::vector<QJsonObject> failed = Events(lines, "file_failed");
  ASSERT_EQ(failed.size(), 3u);
  EXPECT_EQ(Str(failed[1]["file"]), kA);
  EXPECT_EQ(failed[1]["variant_index"].toInt(), 1);
  EXPECT_EQ(Str(failed[2]["file"]), kB);
  EXPECT_EQ(Str(failed[2]["message"]), "Could not rename VIDEO file");
  EXPECT_EQ(Events(lines, "variant_failed").size(), 3u);
}

// The variants of a file run in one decode: a failure of the second one
// comes while the first is unfinished, and is still put down to the second.
TEST_F(ReportedJob, AFailureInAGroupIsPutDownToItsOwnVariant) {
  workers_.SetScriptFor(0, {.failingVariant = 1});
  Run();
  std::vector<QJsonObject> failed = Events(Reported(), "file_failed");
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_EQ(Str(failed[0]["file"]), kA);
  EXPECT_EQ(failed[0]["variant_index"].toInt(), 1);
  EXPECT_EQ(Str(failed[0]["message"]), "Could not open Video CallBackGrab on the graph");
}

TEST_F(ReportedJob, AStoppedJobIsExitStatus130WhateverElseHappened) {
  workers_.SetScript(testing::WorkerKind::General, {.finishAtOnce = false});
  RunSummary s = Run([this] { engine_.Stop(); });
  EXPECT_TRUE(s.job.stopped);
  EXPECT_EQ(s.job.filesEncoded + s.job.filesFailed, 0);
  EXPECT_EQ(cli::ExitStatus(s), 130);
  s.refused = 1;
  EXPECT_EQ(cli::ExitStatus(s), 130);
}

TEST(ExitStatus, FilesOrVariantsRefusedBeforeTheJobAreExitStatusOne) {
  RunSummary s;
  s.files = 3;
  s.skipped = 1;  // complete already: counts as done
  s.job.files = 2;
  s.job.filesEncoded = 2;
  s.job.variantsFinished = 4;
  EXPECT_EQ(cli::ExitStatus(s), 0);
  RunSummary refused = s;
  refused.refused = 1;
  EXPECT_EQ(cli::ExitStatus(refused), 1);
  RunSummary variantRefused = s;
  variantRefused.variantsRefused = 1;
  EXPECT_EQ(cli::ExitStatus(variantRefused), 1);
  // A file whose page failed, though all its variants finished.
  RunSummary pageFailed = s;
  pageFailed.job.filesEncoded = 1;
  pageFailed.job.filesFailed = 1;
  EXPECT_EQ(cli::ExitStatus(pageFailed), 1);
}

}  // namespace
}  // namespace zq48

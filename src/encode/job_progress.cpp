#include "encode/job_progress.h"

#include <cstdio>

#include "encode/variant_job.h"

namespace zq48 {

namespace {
int Trunc(double v) {
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}
}  // namespace

JobProgress ReadJobProgress(JobState& state) {
  DoneAmounts done = state.done.Get();
  JobProgress p;
  // One lock at a time: the list first, then each variant's progress.
  RunningVariants running = state.running.Get();
  p.sourcePath = running.sourcePath;
  double inProgress = 0.0;
  for (const std::shared_ptr<VariantJob>& v : running.variants) inProgress += v->InProgress();
  auto [fileTotal, jobTotal] = state.snapshot.With([&p](const JobSnapshot& s) {
    return std::make_pair(s.FileTotal(p.sourcePath), s.jobTotal);
  });
  p.fileUpper = Trunc(fileTotal);
  p.filePosition = Trunc(done.file + inProgress);
  p.jobUpper = Trunc(jobTotal);
  p.jobPosition = Trunc(done.job + inProgress);
  int percent = jobTotal > 0 ? Trunc((done.job + inProgress) * 100 / jobTotal) : 0;
  p.titlePercent = percent > 100 ? 100 : percent;
  return p;
}

int BarPercent(int position, int upper) {
  if (upper == 0) return 0;
  return static_cast<int>(static_cast<double>(position) * 100 / upper);
}

std::int64_t EstimatedTotalSeconds(int upper, int position, std::int64_t elapsedSeconds) {
  std::int64_t range = upper == 0 ? -1 : upper;
  return position == 0 ? 0 : range * elapsedSeconds / position;
}

std::string ClockText(std::int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                static_cast<int>(seconds % 3600 / 60), static_cast<int>(seconds % 60));
  return text;
}

}  // namespace zq48

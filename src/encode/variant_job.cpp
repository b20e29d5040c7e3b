#include "encode/variant_job.h"

#include "catalog/output_names.h"

namespace zq48 {

std::optional<VariantPlan> PlanVariant(const JobSnapshot& snapshot, const std::string& path, std::size_t index) {
  const OutputFilter* filter = snapshot.catalog.FilterAt(path, index);
  if (!filter) return std::nullopt;
  const MediaFacts& facts = snapshot.catalog.Facts(path);
  VariantPlan plan;
  plan.index = static_cast<int>(index);
  plan.sourcePath = path;
  plan.basePath = OutputBasePath(snapshot.catalog.Settings().destinationFolder(), path, *filter);
  plan.filter = *filter;
  plan.hasAudio = facts.hasAudio;
  plan.hasVideo = facts.hasVideo;
  plan.width = facts.width;
  plan.height = facts.height;
  plan.frameRate = facts.frameRate;
  plan.audioFormat = facts.audioFormat;
  return plan;
}

double VariantJob::InProgress() const {
  return progress.With([](const VariantProgress& p) { return p.video + p.audio; });
}

void VariantJob::Show(const Message& message) {
  Message marked = message;
  marked.variant = plan.index;
  jobNotifier_.Show(marked);
}

bool VariantJob::Ask(const std::string& text, const std::string& caption) { return jobNotifier_.Ask(text, caption); }

void CommitProgress(VariantJob& variant, JobState& job) {
  const double amount = variant.progress.With([](VariantProgress& p) {
    const double sum = p.video + p.audio;
    p = {};
    return sum;
  });
  job.done.With([amount](DoneAmounts& d) {
    d.file += amount;
    d.job += amount;
  });
}

}  // namespace zq48

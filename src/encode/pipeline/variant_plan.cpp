#include "encode/pipeline/variant_plan.h"

#include <tuple>

namespace zq48 {

VariantPlan ReadVariantPlan(JobContext& job) {
  VariantPlan plan;
  std::tie(plan.sourcePath, plan.basePath, plan.filter) = job.state.variant.With(
      [](const VariantState& v) { return std::make_tuple(v.sourcePath, v.outputBasePath, v.filter); });
  job.state.snapshot.With([&plan](const JobSnapshot& s) {
    const MediaFacts& f = s.catalog.Facts(plan.sourcePath);
    plan.hasAudio = f.hasAudio;
    plan.hasVideo = f.hasVideo;
    plan.audioFormat = f.audioFormat;
  });
  return plan;
}

std::vector<PlannedVariant> PlanVariants(JobContext& job, const std::vector<JobContext*>& group) {
  if (group.empty()) return {{&job, ReadVariantPlan(job)}};
  std::vector<PlannedVariant> planned;
  for (JobContext* v : group) planned.push_back({v, ReadVariantPlan(*v)});
  return planned;
}

}  // namespace zq48

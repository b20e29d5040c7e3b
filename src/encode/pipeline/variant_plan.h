#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalog/media_facts.h"
#include "catalog/output_filter.h"
#include "encode/job_context.h"

namespace zq48 {

// What one variant asks of the decode, read from its job state when its
// worker is made.
struct VariantPlan {
  std::string sourcePath;
  std::string basePath;  // the video working path
  OutputFilter filter;
  bool hasAudio = false;
  bool hasVideo = false;
  std::optional<AudioFormat> audioFormat;
  bool encodeVideo() const { return hasVideo && filter.videoOn; }
  bool encodeAudio() const { return hasAudio && filter.audioOn; }
};

// Reads the plan of the variant published in `job`'s state.
VariantPlan ReadVariantPlan(JobContext& job);

// A variant's context with its plan.
struct PlannedVariant {
  JobContext* context;
  VariantPlan plan;
};

// The plans of a group's variants; without a group, that of the variant
// published in `job`'s state.
std::vector<PlannedVariant> PlanVariants(JobContext& job, const std::vector<JobContext*>& group);

}  // namespace zq48

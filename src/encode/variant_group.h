#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "encode/job_context.h"
#include "catalog/output_filter.h"

namespace zq48 {

// How many variants of a file, from `first` on in list order, one decode
// can feed at once: they share the time range, and no two of them write the
// same working stream file (variants that differ only in volume or crop
// share a variant tag). Always at least 1 while `first` is in range.
std::size_t GroupSize(const std::vector<OutputFilter>& filters, std::size_t first);

// One variant of a group: its own job state (its stream files, its
// progress, a snapshot holding only its file) and the context its stages
// run with. The file's facts and the job's settings are copied from the
// job's snapshot, so the variant's finishing reads what the job would.
struct VariantJob {
  VariantJob(JobContext& job, const std::string& sourcePath, const OutputFilter& filter);
  VariantJob(const VariantJob&) = delete;
  VariantJob& operator=(const VariantJob&) = delete;

  OutputFilter filter;
  std::shared_ptr<JobState> state;
  JobContext context;
};

}  // namespace zq48

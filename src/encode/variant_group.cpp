#include "encode/variant_group.h"

#include <set>

#include "catalog/output_names.h"

namespace zq48 {

std::size_t GroupSize(const std::vector<OutputFilter>& filters, std::size_t first) {
  if (first >= filters.size()) return 0;
  std::set<std::string> tags{VariantTag(filters[first])};
  std::size_t n = 1;
  for (std::size_t i = first + 1; i < filters.size(); ++i, ++n) {
    const OutputFilter& f = filters[i];
    if (f.beginTime != filters[first].beginTime || f.endTime != filters[first].endTime) break;
    if (!tags.insert(VariantTag(f)).second) break;
  }
  return n;
}

namespace {

std::string DestinationOf(JobState& job) {
  return job.snapshot.With([](const JobSnapshot& s) { return s.catalog.Settings().destinationFolder(); });
}

std::shared_ptr<JobState> NewVariantState(JobState& job, const std::string& path, const OutputFilter& filter,
                                        const std::string& basePath) {
  auto state = std::make_shared<JobState>();
  // One job-state lock at a time: read the job's, then write the variant's.
  JobSnapshot own = job.snapshot.With([&](const JobSnapshot& s) {
    JobSnapshot copy;
    copy.catalog.Settings() = s.catalog.Settings();
    copy.catalog.MutableFacts(path) = s.catalog.Facts(path);
    copy.fileTotals[path] = s.FileTotal(path);
    copy.jobTotal = s.jobTotal;
    return copy;
  });
  state->snapshot.Replace(std::move(own));
  const RunFlags flags = job.flags.Get();
  state->flags.With([&flags](RunFlags& f) { f = flags; });
  state->variant.With([&](VariantState& v) {
    v.sourcePath = path;
    v.outputBasePath = basePath;
    v.filter = filter;
  });
  return state;
}

}  // namespace

VariantJob::VariantJob(JobContext& job, const std::string& sourcePath, const OutputFilter& f)
    : filter(f),
      state(NewVariantState(job.state, sourcePath, f, OutputBasePath(DestinationOf(job.state), sourcePath, f))),
      context{*state, job.notifier, job.events, job.graphEvents, job.movieFilesAvailable} {}

}  // namespace zq48

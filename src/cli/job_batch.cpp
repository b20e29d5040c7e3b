#include "cli/job_batch.h"

#include <cstdio>

#include "cli/explicit_variants.h"
#include "cli/stderr_notifier.h"
#include "encode/job_file.h"
#include "encode/job_file_listing.h"

namespace zq48::cli {

namespace {

void PrintJobProblem(const std::string& jobFile, const JobFileError& error) {
  if (error.line > 0)
    std::fprintf(stderr, "zq48enc: %s:%d: %s\n", jobFile.c_str(), error.line, error.text.c_str());
  else
    std::fprintf(stderr, "zq48enc: %s: %s\n", jobFile.c_str(), error.text.c_str());
}

}  // namespace

std::optional<int> ListJobFile(const CliOptions& options, Engine& engine, Notifier& notifier,
                               const RefusedFile& refused) {
  std::variant<JobFile, JobFileError> read = ReadJobFile(options.jobFile);
  if (const JobFileError* error = std::get_if<JobFileError>(&read)) {
    PrintJobProblem(options.jobFile, *error);
    return 2;
  }
  const JobFile& job = std::get<JobFile>(read);
  InputCatalog& catalog = engine.Catalog();
  ApplyJobSettings(job, catalog.Settings());
  if (!options.destination.empty()) catalog.Settings().setDestinationFolder(options.destination);
  for (const JobFileEntry& entry : job.files) {
    std::optional<MediaFacts> facts = engine.Probe(entry.path, notifier);
    if (!facts || !engine.AddToCatalog(entry.path, *facts, notifier)) {
      refused(entry.path);
      continue;
    }
    if (std::optional<JobFileError> problem = ListJobEntry(entry, catalog)) {
      PrintJobProblem(options.jobFile, *problem);
      return 2;
    }
  }
  return std::nullopt;
}

std::string DestinationOf(const CliOptions& options, const InputCatalog& catalog) {
  return options.destination.empty() ? catalog.Settings().destinationFolder() : options.destination;
}

int RunSaveJob(const CliOptions& options) {
  StderrNotifier notifier;
  InputCatalog catalog;
  MemorySettingsStore store;
  JobEvents events;
  Engine engine(catalog, store, notifier, events);
  if (!ApplyLadderSettings(options, catalog.Settings(), notifier)) return 2;
  catalog.Settings().setDestinationFolder(options.destination);
  const bool all = AddFiles(options, engine, notifier);
  if (catalog.InputPathCount() > 0 && !CheckFileOptions(options, catalog, notifier)) return 2;
  ExplicitVariantsResult variants = AddExplicitVariants(options, catalog, notifier);
  if (variants.invalidInput) return 2;
  if (std::optional<std::string> problem = WriteJobFile(options.saveJob, catalog)) {
    std::fprintf(stderr, "zq48enc: cannot write %s: %s\n", options.saveJob.c_str(), problem->c_str());
    return 1;
  }
  return all && variants.refused.empty() ? 0 : 1;
}

}  // namespace zq48::cli

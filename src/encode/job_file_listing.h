#pragma once

#include <optional>

#include "catalog/input_catalog.h"
#include "encode/job_file.h"

namespace zq48 {

// The job's settings, given to the catalog's: the destination only when the
// job names one.
void ApplyJobSettings(const JobFile& job, EncodeSettings& settings);

// Gives a file the job lists, once it is probed and in the catalog, the
// options and variants of its entry: its own variants, exactly as the job
// gives them, or the simple ladder from the catalog's settings. What needs
// the file itself is checked first (a crop within its picture); when that
// fails nothing is changed and the problem names the line.
std::optional<JobFileError> ListJobEntry(const JobFileEntry& entry, InputCatalog& catalog);

}  // namespace zq48

#pragma once

#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "cli/file_catalog.h"
#include "core/notifier.h"
#include "encode/engine.h"

namespace zq48::cli {

// --job FILE: lists the job file's files in the engine's catalog, each probed
// and given its options and variants, and takes its settings. A damaged job
// file, or a crop one of its files cannot take, is invalid input: it is
// reported with the job file's name and line on standard error, nothing is
// listed, and the exit status (2) is returned. A file that cannot be probed
// is refused as on the command line.
std::optional<int> ListJobFile(const CliOptions& options, Engine& engine, Notifier& notifier,
                               const RefusedFile& refused);

// The folder an encode writes into: -o, else the job file's.
std::string DestinationOf(const CliOptions& options, const InputCatalog& catalog);

// --save-job FILE: the files and options of the command line, probed and
// listed as for an encode, written as a job file. The exit status.
int RunSaveJob(const CliOptions& options);

}  // namespace zq48::cli

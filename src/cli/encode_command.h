#pragma once

#include "app/notifier.h"
#include "cli/cli_options.h"

namespace zq48::cli {

// -o DEST: probes the files, builds their ladders and runs the encode job,
// showing progress on standard error. Ctrl-C stops the job. Returns the
// exit status.
int RunEncode(const CliOptions& options, Notifier& notifier);

}  // namespace zq48::cli

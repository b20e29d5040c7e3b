#pragma once

#include "cli/cli_options.h"

namespace zq48::cli {

// -o DEST: probes the files, builds their ladders (or the --variant lists),
// locks their packages in the destination, leaves out complete ones with
// --skip-complete and runs the encode job, reporting on standard error as
// text or JSON lines. Ctrl-C stops the job. Returns the exit status.
int RunEncode(const CliOptions& options);

}  // namespace zq48::cli

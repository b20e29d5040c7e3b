#pragma once

#include <cstdio>

#include "core/notifier.h"
#include "cli/cli_options.h"

namespace zq48::cli {

// --probe: the stored facts of each file. Returns the exit status.
int RunProbe(const CliOptions& options, Notifier& notifier, std::FILE* out);

// --ladder: the output variants of each file. Returns the exit status.
int RunLadder(const CliOptions& options, Notifier& notifier, std::FILE* out);

}  // namespace zq48::cli

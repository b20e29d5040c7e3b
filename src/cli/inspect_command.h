#pragma once

#include <cstdio>

#include "cli/cli_options.h"

namespace zq48::cli {

// --inspect: the header fields of each stream file and whether they agree
// with the file. Returns the exit status (1 when any file is inconsistent
// or unreadable).
int RunInspect(const CliOptions& options, std::FILE* out);

}  // namespace zq48::cli

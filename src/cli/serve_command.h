#pragma once

#include <cstdio>

#include "cli/cli_options.h"

namespace zq48::cli {

// --serve DIR [--port N]: serves the folder on 127.0.0.1 until SIGINT or
// SIGTERM. Writes to `out` the folder's address ("http://127.0.0.1:PORT/"),
// then the address of each BASE.play.html page in it (sorted), one a line,
// flushed at once so a script can read the port. Returns the exit status:
// 0 once interrupted, 1 when the folder or the port cannot be had.
int RunServe(const CliOptions& options, std::FILE* out);

}  // namespace zq48::cli

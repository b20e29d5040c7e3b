// zq48enc: the headless command-line front end over the ZQ48 engine.

#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

#include "cli/cli_options.h"
#include "cli/encode_command.h"
#include "cli/inspect_command.h"
#include "cli/job_batch.h"
#include "cli/probe_commands.h"
#include "cli/serve_command.h"
#include "cli/stderr_notifier.h"

int main(int argc, char** argv) {
  using namespace zq48::cli;
  ParseResult parsed = ParseCommandLine(argc, argv);
  if (!parsed.options) {
    std::fprintf(stderr, "zq48enc: %s\nTry 'zq48enc --help' for more information.\n",
                 parsed.error.c_str());
    return 2;
  }
  const CliOptions& options = *parsed.options;
  // The engine reports every problem in its own words; FFmpeg's would repeat them.
  av_log_set_level(options.verbose ? AV_LOG_WARNING : AV_LOG_QUIET);

  StderrNotifier notifier;
  switch (options.command) {
    case Command::Help:
      std::fputs(UsageText(), stdout);
      return 0;
    case Command::Version:
      std::puts("zq48enc (ZQ48 Encoder) 1.0");
      return 0;
    case Command::Encode:
      return RunEncode(options);
    case Command::SaveJob:
      return RunSaveJob(options);
    case Command::Probe:
      return RunProbe(options, notifier, stdout);
    case Command::Ladder:
      return RunLadder(options, notifier, stdout);
    case Command::Inspect:
      return RunInspect(options, stdout);
    case Command::Serve:
      return RunServe(options, stdout);
  }
  return 2;
}

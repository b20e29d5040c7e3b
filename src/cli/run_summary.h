#pragma once

#include "encode/job_events.h"

namespace zq48::cli {

// What an encode run amounted to: what the command line decided before the
// job, and what the job did.
struct RunSummary {
  int files = 0;     // given on the command line
  int skipped = 0;   // complete already (--skip-complete)
  int refused = 0;   // not encoded: not accepted, a twin, or locked by another process
  int variantsRefused = 0;
  JobSummary job;    // the engine's; its files failed also when the job could not start
  int exitStatus = 0;
};

// 130 when the job was stopped; 1 when a file or a variant was refused or
// something of the job failed; else 0.
int ExitStatus(const RunSummary& summary);

}  // namespace zq48::cli

#include "cli/run_summary.h"

namespace zq48::cli {

int ExitStatus(const RunSummary& s) {
  if (s.job.stopped) return 130;
  const bool whole = s.refused == 0 && s.variantsRefused == 0 && s.job.filesFailed == 0 && s.job.variantsFailed == 0;
  return whole ? 0 : 1;
}

}  // namespace zq48::cli

#pragma once

#include <string>
#include <vector>

#include "core/notifier.h"
#include "catalog/input_catalog.h"
#include "cli/cli_options.h"

namespace zq48::cli {

// A variant one file did not get, and why (the message was shown).
struct RefusedVariant {
  std::string path;
  std::string text;
};

struct ExplicitVariantsResult {
  bool invalidInput = false;  // a time range or crop failed its check: nothing was changed
  std::vector<RefusedVariant> refused;
};

// Replaces the simple ladder of every listed file by the --variant list, by
// the Expert page's rules for Add: the frame rate is brought into 0.1..the
// file's own rate, a file without sound gets no audio, and a variant equal
// to one listed before is refused with the page's message. Time ranges and
// crops are checked first against every listed file, as the time range
// dialog checks them. The lists are marked custom.
ExplicitVariantsResult AddExplicitVariants(const CliOptions& options, InputCatalog& catalog,
                                           Notifier& notifier);

}  // namespace zq48::cli

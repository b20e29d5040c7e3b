#pragma once

#include <functional>
#include <string>

#include "core/notifier.h"
#include "catalog/input_catalog.h"
#include "cli/cli_options.h"
#include "encode/engine.h"

namespace zq48::cli {

// Told of each file of the command line that is not listed (its message was shown).
using RefusedFile = std::function<void(const std::string& path)>;

// Prints "zq48enc: FILE: not accepted" on standard error.
void PrintNotAccepted(const std::string& path);

// Probes every file of the command line into the engine's catalog, gives the
// accepted ones the per-file options of the command line and their simple
// ladders, in command-line order. Returns false when a file was refused; the
// others are still listed.
bool AddFiles(const CliOptions& options, Engine& engine, Notifier& notifier,
              const RefusedFile& refused = PrintNotAccepted);

// Applies the ladder options (range, quality) to the settings and checks the
// range's bounds. A reversed range stays as given, so the ladder built from it
// is the single rung at its end; the check at Encode swaps it afterwards.
bool ApplyLadderSettings(const CliOptions& options, EncodeSettings& settings, Notifier& notifier);

// Checks the time range and cropping options against every listed file.
bool CheckFileOptions(const CliOptions& options, const InputCatalog& catalog, Notifier& notifier);

}  // namespace zq48::cli

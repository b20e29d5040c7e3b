#pragma once

#include <string>

#include "catalog/media_facts.h"
#include "core/json_writer.h"
#include "container/stream_file_reader.h"
#include "container/metafile.h"
#include "catalog/output_filter.h"

namespace zq48::cli {

// The JSON forms of what --probe, --ladder and --inspect print. Every
// field that has a unit carries it at the end of its name.
JsonObject FactsJson(const std::string& path, const MediaFacts& facts);
JsonObject FilterJson(const OutputFilter& filter);
JsonObject StreamReportJson(const std::string& path, const StreamFileReport& report);
JsonObject MetafileJson(const std::string& path, const Metafile& metafile);

}  // namespace zq48::cli

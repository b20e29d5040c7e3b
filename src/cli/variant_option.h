#pragma once

#include <string>
#include <variant>

#include "catalog/variant_fields.h"

namespace zq48::cli {

// Parses --variant's "w=320,h=240,fps=15,video=200,audio=16,rate=8000,channels=1"
// (optionally with volume=, begin=, end= and crop=L:R:T:B; without the
// picture's keys when video=0, without the sound's when audio=0). The values
// that do not depend on the input file are checked here; the error says what
// is wrong.
std::variant<VariantFields, std::string> ParseVariantFields(const std::string& text);

}  // namespace zq48::cli

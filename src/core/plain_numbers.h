#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zq48 {

// Numbers written into file names, headers, pages and encoder options, and
// read back from option texts. They never depend on the process locale: the
// desktop program runs in the user's locale, and a comma decimal ("15,00")
// in a file name or a "--scale 1,000000" option would break what others read.

// `value` with exactly `decimals` digits after a '.', rounded to nearest like
// printf's "%.Nf" in the "C" locale; right-aligned in `width` characters.
std::string FixedPoint(double value, int decimals, int width = 0);

// A whole text as a number ("1.5", "-3", "2e3"); nothing when any character
// is left over or the text is empty. Leading spaces are skipped, as strtod does.
std::optional<double> ParseReal(std::string_view text);
std::optional<long> ParseWhole(std::string_view text);

}  // namespace zq48

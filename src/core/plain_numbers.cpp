#include "core/plain_numbers.h"

#include <charconv>
#include <cmath>

namespace zq48 {

namespace {

std::string_view SkipSpaces(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  // from_chars takes no '+', strtod does.
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  return text;
}

}  // namespace

std::string FixedPoint(double value, int decimals, int width) {
  char text[400];
  std::to_chars_result r;
  if (std::isfinite(value)) {
    r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  } else {
    r = std::to_chars(text, text + sizeof text, value);
  }
  std::string out = r.ec == std::errc{} ? std::string(text, r.ptr) : std::string("0");
  if (static_cast<int>(out.size()) < width) out.insert(0, static_cast<std::size_t>(width) - out.size(), ' ');
  return out;
}

std::optional<double> ParseReal(std::string_view text) {
  text = SkipSpaces(text);
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<long> ParseWhole(std::string_view text) {
  text = SkipSpaces(text);
  long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace zq48

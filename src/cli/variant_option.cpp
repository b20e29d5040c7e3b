#include "cli/variant_option.h"

#include <cmath>
#include <map>

#include "core/plain_numbers.h"

namespace zq48::cli {

namespace {

using Pairs = std::map<std::string, std::string>;

// Splits "k=v,k=v"; an error text for an empty, unknown or repeated key.
std::variant<Pairs, std::string> SplitPairs(const std::string& text) {
  Pairs pairs;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = text.substr(start, comma - start);
    const std::size_t eq = item.find('=');
    if (eq == std::string::npos || eq == 0) return "'" + item + "' is not KEY=VALUE";
    const std::string key = item.substr(0, eq);
    if (!IsVariantKey(key)) return "unknown key '" + key + "'";
    if (!pairs.emplace(key, item.substr(eq + 1)).second) return "'" + key + "' given twice";
    start = comma + 1;
  }
  return pairs;
}

std::string Bad(const std::string& key, const std::string& value, const char* wanted) {
  return key + "=" + value + ": " + wanted;
}

std::optional<std::string> Missing(const Pairs& p, const std::vector<std::string>& keys) {
  for (const std::string& k : keys)
    if (!p.count(k)) return "'" + k + "' is missing";
  return std::nullopt;
}

// The whole numbers given; an error text for one that is not.
std::optional<std::string> ReadWholes(const Pairs& p, VariantFields& v) {
  struct Whole {
    const char* key;
    std::optional<int>* field;
  };
  std::optional<int> video, audio;
  for (Whole w : {Whole{"video", &video}, Whole{"audio", &audio}, Whole{"w", &v.width}, Whole{"h", &v.height},
                  Whole{"rate", &v.sampleRate}, Whole{"channels", &v.channels}}) {
    auto found = p.find(w.key);
    if (found == p.end()) continue;
    std::optional<long> n = ParseWhole(found->second);
    if (!n || *n < -1'000'000 || *n > 1'000'000) return Bad(w.key, found->second, "not a whole number");
    *w.field = static_cast<int>(*n);
  }
  v.videoKbps = video.value_or(0);
  v.audioKbps = audio.value_or(0);
  return std::nullopt;
}

std::optional<std::string> ReadReals(const Pairs& p, VariantFields& v) {
  struct Real {
    const char* key;
    std::optional<double>* field;
  };
  for (Real r : {Real{"fps", &v.frameRate}, Real{"volume", &v.volume}, Real{"begin", &v.begin},
                 Real{"end", &v.end}}) {
    auto found = p.find(r.key);
    if (found == p.end()) continue;
    std::optional<double> x = ParseReal(found->second);
    if (!x || !std::isfinite(*x)) return Bad(r.key, found->second, "not a number");
    *r.field = x;
  }
  return std::nullopt;
}

}  // namespace

std::variant<VariantFields, std::string> ParseVariantFields(const std::string& text) {
  auto split = SplitPairs(text);
  if (auto* error = std::get_if<std::string>(&split)) return *error;
  const Pairs& p = std::get<Pairs>(split);
  if (auto error = Missing(p, {"video", "audio"})) return *error;

  VariantFields v;
  v.text = text;
  if (auto error = ReadWholes(p, v)) return *error;
  if (auto error = Missing(p, RequiredVariantKeys(v.videoKbps, v.audioKbps))) return *error;
  if (auto error = ReadReals(p, v)) return *error;
  if (auto crop = p.find("crop"); crop != p.end()) {
    v.crop = ParseCrop(crop->second, ':');
    if (!v.crop) return Bad("crop", crop->second, "wants LEFT:RIGHT:TOP:BOTTOM in pixels");
  }
  if (auto error = CheckVariantFields(v)) return *error;
  return v;
}

}  // namespace zq48::cli

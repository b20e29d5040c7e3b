#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace zq48 {

// Section names and value names of the persisted settings. A value of the
// empty section lies directly under the program's settings key.
namespace settings {
inline constexpr const char* kRootSection = "";
inline constexpr const char* kFilterSection = "Filter";
inline constexpr const char* kPathDest = "PathDest";
inline constexpr const char* kPathInput = "PathInput";
inline constexpr const char* kSliderQuality = "SliderQualityFilter";
inline constexpr const char* kRangeBegin = "RangeBeginFilter";
inline constexpr const char* kRangeEnd = "RangeEndFilter";
inline constexpr const char* kWebPage = "WebPage";  // 1 or 0
}  // namespace settings

// The per-user settings store: four operations keyed by section and value
// name. Callers apply their own defaults when a read finds nothing.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Does nothing for an empty text, so a stored value is never blanked.
  // Returns true when the text was stored.
  virtual bool WriteSettingString(const std::string& text, const std::string& name,
                                  const std::string& section) = 0;
  // The stored text, or empty when the section or value is missing.
  virtual std::string ReadSettingString(const std::string& name, const std::string& section) = 0;
  virtual bool WriteSettingInt(std::int32_t value, const std::string& name,
                               const std::string& section) = 0;
  // The stored value, or nothing when the section or value is missing or not an integer.
  virtual std::optional<std::int32_t> ReadSettingInt(const std::string& name,
                                                     const std::string& section) = 0;
};

// A store that lives in memory only: for tests and for the command line,
// which keeps no settings between runs.
class MemorySettingsStore : public SettingsStore {
 public:
  bool WriteSettingString(const std::string& text, const std::string& name,
                          const std::string& section) override;
  std::string ReadSettingString(const std::string& name, const std::string& section) override;
  bool WriteSettingInt(std::int32_t value, const std::string& name,
                       const std::string& section) override;
  std::optional<std::int32_t> ReadSettingInt(const std::string& name,
                                             const std::string& section) override;

 private:
  using Key = std::pair<std::string, std::string>;  // section, value name
  std::map<Key, std::variant<std::string, std::int32_t>> values_;
};

}  // namespace zq48

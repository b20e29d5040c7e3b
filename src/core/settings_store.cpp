#include "core/settings_store.h"

namespace zq48 {

bool MemorySettingsStore::WriteSettingString(const std::string& text, const std::string& name,
                                             const std::string& section) {
  if (text.empty()) return false;
  values_[{section, name}] = text;
  return true;
}

std::string MemorySettingsStore::ReadSettingString(const std::string& name,
                                                   const std::string& section) {
  auto it = values_.find({section, name});
  if (it == values_.end()) return {};
  if (const auto* text = std::get_if<std::string>(&it->second)) return *text;
  return {};
}

bool MemorySettingsStore::WriteSettingInt(std::int32_t value, const std::string& name,
                                          const std::string& section) {
  values_[{section, name}] = value;
  return true;
}

std::optional<std::int32_t> MemorySettingsStore::ReadSettingInt(const std::string& name,
                                                                const std::string& section) {
  auto it = values_.find({section, name});
  if (it == values_.end()) return std::nullopt;
  if (const auto* value = std::get_if<std::int32_t>(&it->second)) return *value;
  return std::nullopt;
}

}  // namespace zq48

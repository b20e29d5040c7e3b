#pragma once

#include "core/settings_store.h"

namespace zq48 {

// Where the desktop program keeps its settings (QSettings organisation and
// application). The sections and value names are those of settings_store.h.
inline constexpr const char* kSettingsOrganisation = "ZQ48";
inline constexpr const char* kSettingsApplication = "ZQ48Encoder_ver_design_555";

// The desktop program's settings store: the user's QSettings of the program.
// Every operation opens the settings, works and lets them go again, so the
// store can be used from any thread and a value written is on disk at once.
class QSettingsStore : public SettingsStore {
 public:
  bool WriteSettingString(const std::string& text, const std::string& name,
                          const std::string& section) override;
  std::string ReadSettingString(const std::string& name, const std::string& section) override;
  bool WriteSettingInt(std::int32_t value, const std::string& name,
                       const std::string& section) override;
  std::optional<std::int32_t> ReadSettingInt(const std::string& name,
                                             const std::string& section) override;
};

}  // namespace zq48

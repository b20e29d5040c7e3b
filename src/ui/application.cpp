#include "ui/application.h"

namespace zq48 {

namespace {

std::string WithTrailingSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

Application::Application(SettingsStore& store, bool movieFilesAvailable)
    : store_(store),
      movieFilesAvailable_(movieFilesAvailable),
      mediaPatterns_(movieFilesAvailable ? kMediaPatternsWithMovies : kMediaPatterns),
      columns_(DefaultListColumns()) {
  ReadFolders();
  ReadLadderSettings();
  LoadListColumns(store_, columns_);
}

// Folders are kept as typed or chosen; older values may lack the trailing "/".
void Application::ReadFolders() {
  std::string input = store_.ReadSettingString(settings::kPathInput, settings::kRootSection);
  if (!input.empty()) catalog_.SetInputFolder(WithTrailingSlash(input));
  std::string destination = store_.ReadSettingString(settings::kPathDest, settings::kRootSection);
  if (!destination.empty()) catalog_.Settings().setDestinationFolder(destination);
}

// Values are taken as stored: the range check before a job refuses bad ones
// with its own message, which is more use to the user than a silent reset.
void Application::ReadLadderSettings() {
  EncodeSettings& s = catalog_.Settings();
  auto read = [this](const char* name) {
    return store_.ReadSettingInt(name, settings::kFilterSection);
  };
  s.quality = read(settings::kSliderQuality).value_or(kDefaultQuality);
  s.rangeBegin = static_cast<std::uint32_t>(
      read(settings::kRangeBegin).value_or(static_cast<std::int32_t>(kDefaultRangeBegin)));
  s.rangeEnd = static_cast<std::uint32_t>(
      read(settings::kRangeEnd).value_or(static_cast<std::int32_t>(kDefaultRangeEnd)));
  s.webPageOn = read(settings::kWebPage).value_or(1) != 0;
}

}  // namespace zq48

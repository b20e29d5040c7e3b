#pragma once

#include <string>
#include <vector>

#include "ui/list_columns.h"
#include "core/settings_store.h"
#include "catalog/input_catalog.h"

namespace zq48 {

// The media files the add-files dialog offers; movie files only when this
// build can read them.
inline constexpr const char* kMediaPatternsWithMovies = "*.avi;*.mpeg;*.mpg;*.mov;";
inline constexpr const char* kMediaPatterns = "*.avi;*.mpeg;*.mpg;";
// The other video files people have, which FFmpeg reads as well: the list
// takes them in (dialog, drops, folders) beside the patterns above.
inline constexpr const char* kMoreVideoPatterns =
    "*.mp4;*.m4v;*.mkv;*.webm;*.ts;*.m2ts;*.mts;*.vob;*.3gp;*.3g2;*.flv;*.wmv;*.asf;*.dv;*.ogv;*.mxf;*.divx;";

// The program's own state: the input catalog with the encode settings, what
// the platform offers, and the file list's columns. Constructing it runs the
// start-up steps that come before the main window: it decides the media
// filter and reads the persisted folders, the simple ladder settings and the
// column layout from the store.
class Application {
 public:
  Application(SettingsStore& store, bool movieFilesAvailable);
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  SettingsStore& Store() { return store_; }
  InputCatalog& Catalog() { return catalog_; }
  bool MovieFilesAvailable() const { return movieFilesAvailable_; }
  // The media files of the add-files dialog's "Media files" entry.
  const std::string& MediaPatterns() const { return mediaPatterns_; }
  // Every video file the program reads: what the list takes in and what the
  // add-files dialog shows first.
  std::string VideoPatterns() const { return mediaPatterns_ + kMoreVideoPatterns; }
  std::vector<ListColumn>& Columns() { return columns_; }

  // Where the list is kept as it changes, to be offered back at the next
  // start (after a crash too); empty: it is not kept.
  const std::string& SessionListPath() const { return sessionListPath_; }
  void SetSessionListPath(std::string path) { sessionListPath_ = std::move(path); }

  // Whether the main window is maximised; it starts so.
  bool Maximised() const { return maximised_; }
  void SetMaximised(bool maximised) { maximised_ = maximised; }

 private:
  void ReadFolders();
  void ReadLadderSettings();

  SettingsStore& store_;
  InputCatalog catalog_;
  bool movieFilesAvailable_;
  std::string mediaPatterns_;
  std::vector<ListColumn> columns_;
  bool maximised_ = true;
  std::string sessionListPath_;
};

}  // namespace zq48

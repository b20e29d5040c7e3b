#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "catalog/filter_list.h"
#include "catalog/media_facts.h"
#include "catalog/encode_settings.h"
#include "catalog/output_filter.h"

namespace zq48 {

// The application's single per-file store: probe facts, per-file options and
// variant lists keyed by the file's full path (byte-wise order), the input
// paths in the order they were added, and the global encode settings.
// Copying a catalog copies everything deeply, which is how a job takes its
// snapshot. Not thread-safe: its owner guards it.
class InputCatalog {
 public:
  // Facts and options of an unknown path read as defaults; the Mutable
  // accessors create the entry.
  const MediaFacts& Facts(const std::string& path) const;
  MediaFacts& MutableFacts(const std::string& path);
  const FileOptions& Options(const std::string& path) const;
  FileOptions& MutableOptions(const std::string& path);
  bool Contains(const std::string& path) const { return files_.count(path) != 0; }

  // Input paths in list order. Adding a path that is already listed does nothing.
  void AddInputPath(const std::string& path);
  std::size_t InputPathCount() const { return inputPaths_.size(); }
  const std::string& InputPathAt(std::size_t index) const { return inputPaths_.at(index); }
  const std::vector<std::string>& InputPaths() const { return inputPaths_; }
  // Puts the listed paths first, in the given order (the file list was
  // sorted); unknown ones are skipped, listed ones not given follow as they were.
  void ReorderInputPaths(const std::vector<std::string>& order);
  // Drops everything the catalog knows of the path.
  void Forget(const std::string& path);

  // The variants of a path, in insertion order.
  std::size_t FilterCount(const std::string& path) const;
  OutputFilter* FilterAt(const std::string& path, std::size_t index);
  const OutputFilter* FilterAt(const std::string& path, std::size_t index) const;
  OutputFilter* AddFilter(const std::string& path, const OutputFilter& filter);
  void RemoveFilter(const std::string& path, const OutputFilter* filter);
  void RemoveAllFilters(const std::string& path);
  void SetCustomFilters(const std::string& path, bool custom);
  bool IsCustomFilters(const std::string& path) const;

  EncodeSettings& Settings() { return settings_; }
  const EncodeSettings& Settings() const { return settings_; }

  // The folder the user last added input files from.
  const std::string& InputFolder() const { return inputFolder_; }
  void SetInputFolder(std::string folder) { inputFolder_ = std::move(folder); }

 private:
  struct FileEntry {
    MediaFacts facts;
    FileOptions options;
    FilterList filters;
    bool customFilters = false;
  };

  const FileEntry* Find(const std::string& path) const;

  std::map<std::string, FileEntry> files_;
  std::vector<std::string> inputPaths_;
  EncodeSettings settings_;
  std::string inputFolder_;
};

}  // namespace zq48

#include "catalog/input_catalog.h"

#include <algorithm>

namespace zq48 {

namespace {
const MediaFacts kDefaultFacts{};
const FileOptions kDefaultOptions{};
}  // namespace

const InputCatalog::FileEntry* InputCatalog::Find(const std::string& path) const {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second;
}

const MediaFacts& InputCatalog::Facts(const std::string& path) const {
  const FileEntry* entry = Find(path);
  return entry ? entry->facts : kDefaultFacts;
}

MediaFacts& InputCatalog::MutableFacts(const std::string& path) { return files_[path].facts; }

const FileOptions& InputCatalog::Options(const std::string& path) const {
  const FileEntry* entry = Find(path);
  return entry ? entry->options : kDefaultOptions;
}

FileOptions& InputCatalog::MutableOptions(const std::string& path) {
  return files_[path].options;
}

void InputCatalog::AddInputPath(const std::string& path) {
  if (std::find(inputPaths_.begin(), inputPaths_.end(), path) == inputPaths_.end())
    inputPaths_.push_back(path);
}

void InputCatalog::ReorderInputPaths(const std::vector<std::string>& order) {
  std::vector<std::string> reordered;
  reordered.reserve(inputPaths_.size());
  for (const std::string& path : order) {
    const bool listed = std::find(inputPaths_.begin(), inputPaths_.end(), path) != inputPaths_.end();
    const bool taken = std::find(reordered.begin(), reordered.end(), path) != reordered.end();
    if (listed && !taken) reordered.push_back(path);
  }
  for (const std::string& path : inputPaths_)
    if (std::find(reordered.begin(), reordered.end(), path) == reordered.end())
      reordered.push_back(path);
  inputPaths_ = std::move(reordered);
}

void InputCatalog::Forget(const std::string& path) {
  files_.erase(path);
  std::erase(inputPaths_, path);
}

std::size_t InputCatalog::FilterCount(const std::string& path) const {
  const FileEntry* entry = Find(path);
  return entry ? entry->filters.Count() : 0;
}

OutputFilter* InputCatalog::FilterAt(const std::string& path, std::size_t index) {
  auto it = files_.find(path);
  return it == files_.end() ? nullptr : it->second.filters.At(index);
}

const OutputFilter* InputCatalog::FilterAt(const std::string& path, std::size_t index) const {
  const FileEntry* entry = Find(path);
  return entry ? entry->filters.At(index) : nullptr;
}

OutputFilter* InputCatalog::AddFilter(const std::string& path, const OutputFilter& filter) {
  return files_[path].filters.Add(filter);
}

void InputCatalog::RemoveFilter(const std::string& path, const OutputFilter* filter) {
  auto it = files_.find(path);
  if (it != files_.end()) it->second.filters.Remove(filter);
}

void InputCatalog::RemoveAllFilters(const std::string& path) {
  auto it = files_.find(path);
  if (it != files_.end()) it->second.filters.Clear();
}

void InputCatalog::SetCustomFilters(const std::string& path, bool custom) {
  files_[path].customFilters = custom;
}

bool InputCatalog::IsCustomFilters(const std::string& path) const {
  const FileEntry* entry = Find(path);
  return entry && entry->customFilters;
}

}  // namespace zq48

#include "catalog/filter_list.h"

#include <algorithm>

namespace zq48 {

FilterList::FilterList(const FilterList& other) {
  filters_.reserve(other.filters_.size());
  for (const auto& f : other.filters_) filters_.push_back(std::make_unique<OutputFilter>(*f));
}

FilterList& FilterList::operator=(const FilterList& other) {
  if (this != &other) {
    FilterList copy(other);
    *this = std::move(copy);
  }
  return *this;
}

OutputFilter* FilterList::At(std::size_t index) {
  return index < filters_.size() ? filters_[index].get() : nullptr;
}

const OutputFilter* FilterList::At(std::size_t index) const {
  return index < filters_.size() ? filters_[index].get() : nullptr;
}

OutputFilter* FilterList::Add(const OutputFilter& filter) {
  filters_.push_back(std::make_unique<OutputFilter>(filter));
  return filters_.back().get();
}

bool FilterList::Remove(const OutputFilter* filter) {
  auto it = std::find_if(filters_.begin(), filters_.end(),
                         [filter](const auto& f) { return f.get() == filter; });
  if (it == filters_.end()) return false;
  filters_.erase(it);
  return true;
}

}  // namespace zq48

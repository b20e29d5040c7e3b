#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "catalog/output_filter.h"

namespace zq48 {

// The ordered variants of one input file. Filters live on the heap so that a
// pointer handed out by At() stays valid while other filters come and go;
// copying the list copies every filter.
class FilterList {
 public:
  FilterList() = default;
  FilterList(const FilterList& other);
  FilterList& operator=(const FilterList& other);
  FilterList(FilterList&&) noexcept = default;
  FilterList& operator=(FilterList&&) noexcept = default;

  std::size_t Count() const { return filters_.size(); }
  OutputFilter* At(std::size_t index);
  const OutputFilter* At(std::size_t index) const;
  OutputFilter* Add(const OutputFilter& filter);
  // Removes and deletes the filter; false when it is not in this list.
  bool Remove(const OutputFilter* filter);
  void Clear() { filters_.clear(); }

 private:
  std::vector<std::unique_ptr<OutputFilter>> filters_;
};

}  // namespace zq48

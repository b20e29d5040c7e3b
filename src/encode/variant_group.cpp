#include "encode/variant_group.h"

#include <set>

#include "catalog/output_names.h"

namespace zq48 {

std::size_t GroupSize(const std::vector<OutputFilter>& filters, std::size_t first) {
  if (first >= filters.size()) return 0;
  std::set<std::string> tags{VariantTag(filters[first])};
  std::size_t n = 1;
  for (std::size_t i = first + 1; i < filters.size(); ++i, ++n) {
    const OutputFilter& f = filters[i];
    if (f.beginTime != filters[first].beginTime || f.endTime != filters[first].endTime) break;
    if (!tags.insert(VariantTag(f)).second) break;
  }
  return n;
}

}  // namespace zq48

#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "catalog/output_filter.h"

namespace zq48 {

// How many variants of a file, from `first` on in list order, one decode
// can feed at once: they share the time range, and no two of them write the
// same working stream file (variants that differ only in volume or crop
// share a variant tag). Always at least 1 while `first` is in range.
std::size_t GroupSize(const std::vector<OutputFilter>& filters, std::size_t first);

}  // namespace zq48

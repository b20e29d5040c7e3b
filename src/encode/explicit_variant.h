#pragma once

#include <string>

#include "catalog/input_catalog.h"
#include "catalog/range_and_crop.h"
#include "catalog/variant_fields.h"

namespace zq48 {

// The variant of a listed file that explicit fields (--variant, a job file)
// describe, at `frameRate`, with `range` as its time range and crop. What
// the fields leave out is what the ladder would give the file at that total
// rate (a variant without video keeps that size, which names its files and
// nothing else). A file without sound gets no sound, whatever the fields
// say: nothing may suggest a sound that is not there.
OutputFilter ExplicitVariant(const InputCatalog& catalog, const std::string& path, const VariantFields& fields,
                             double frameRate, const RangeAndCrop& range);

}  // namespace zq48

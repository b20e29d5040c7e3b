#pragma once

#include <concepts>

#include "catalog/media_facts.h"
#include "catalog/output_filter.h"

namespace zq48 {

// A time range and the margins cut off every picture: what the command
// line, the time range dialog and the Expert page give a file or a variant,
// and what the ladder copies from a file's options into each of its variants.
struct RangeAndCrop {
  double begin = 0;  // seconds; begin 0 with end 0 means the whole file
  double end = 0;
  int left = 0;  // pixels
  int right = 0;
  int top = 0;
  int bottom = 0;

  bool operator==(const RangeAndCrop&) const = default;
};

// What carries a range and crop: a file's options and each output variant.
template <class T>
concept HoldsRangeAndCrop = std::same_as<T, FileOptions> || std::same_as<T, OutputFilter>;

template <HoldsRangeAndCrop Holder>
RangeAndCrop RangeAndCropOf(const Holder& h) {
  return {h.beginTime, h.endTime, h.cropLeft, h.cropRight, h.cropTop, h.cropBottom};
}

// Writes the range and crop over the holder's own.
template <HoldsRangeAndCrop Holder>
void ApplyRangeAndCrop(const RangeAndCrop& r, Holder& h) {
  h.beginTime = r.begin;
  h.endTime = r.end;
  h.cropLeft = r.left;
  h.cropRight = r.right;
  h.cropTop = r.top;
  h.cropBottom = r.bottom;
}

}  // namespace zq48

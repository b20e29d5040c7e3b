// The range and crop record: read from and written to a file's options and
// a variant, field by field, leaving everything else alone.

#include "catalog/range_and_crop.h"

#include <gtest/gtest.h>

namespace zq48 {
namespace {

// Six different values, so that two fields mixed up show.
constexpr RangeAndCrop kValues{1.25, 7.5, 3, 5, 11, 13};

TEST(RangeAndCrop, GoesIntoEachFieldOfAFilesOptionsAndComesBack) {
  FileOptions options;
  options.volume = 1.3f;
  ApplyRangeAndCrop(kValues, options);
  EXPECT_EQ(options.beginTime, 1.25);
  EXPECT_EQ(options.endTime, 7.5);
  EXPECT_EQ(options.cropLeft, 3);
  EXPECT_EQ(options.cropRight, 5);
  EXPECT_EQ(options.cropTop, 11);
  EXPECT_EQ(options.cropBottom, 13);
  EXPECT_FLOAT_EQ(options.volume, 1.3f);  // not part of the record
  EXPECT_EQ(RangeAndCropOf(options), kValues);
}

TEST(RangeAndCrop, GoesIntoEachFieldOfAVariantAndComesBack) {
  OutputFilter filter;
  filter.width = 320;
  filter.videoBitRate = 300;
  ApplyRangeAndCrop(kValues, filter);
  EXPECT_EQ(filter.beginTime, 1.25);
  EXPECT_EQ(filter.endTime, 7.5);
  EXPECT_EQ(filter.cropLeft, 3);
  EXPECT_EQ(filter.cropRight, 5);
  EXPECT_EQ(filter.cropTop, 11);
  EXPECT_EQ(filter.cropBottom, 13);
  EXPECT_EQ(filter.width, 320);
  EXPECT_EQ(filter.videoBitRate, 300);
  EXPECT_EQ(RangeAndCropOf(filter), kValues);
}

// The ladder copies a file's range into its variants in full precision:
// 12.7 s is not rounded to the nearest float on the way.
TEST(RangeAndCrop, CarriesSecondsInFullPrecision) {
  FileOptions options;
  options.beginTime = 12.7;
  OutputFilter filter;
  ApplyRangeAndCrop(RangeAndCropOf(options), filter);
  EXPECT_EQ(filter.beginTime, 12.7);
  EXPECT_EQ(RangeAndCrop{}, RangeAndCropOf(OutputFilter{}));  // both default to the whole file, no crop
}

}  // namespace
}  // namespace zq48

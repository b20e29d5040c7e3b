#pragma once

#include <cstdint>

namespace zq48 {

// Squared differences of one encoded picture from the picture the encoder
// was given, summed over each plane (Y at full size, U and V at a quarter).
struct PlaneErrors {
  std::uint64_t y = 0;
  std::uint64_t u = 0;
  std::uint64_t v = 0;
};

// How close a variant's pictures came to what they were made from, in dB of
// peak signal to noise: the mean squared error over all its pictures turned
// into dB, of the luma alone and of the three planes together, and the worst
// picture's luma with its time in the variant. A picture without error
// counts as kPerfectPsnrDb.
struct VideoQuality {
  std::int64_t pictures = 0;  // none: the variant has no video, or it was not measured
  double psnrYDb = 0.0;
  double psnrDb = 0.0;
  double worstPsnrYDb = 0.0;
  double worstAtSeconds = 0.0;

  bool measured() const { return pictures > 0; }
};

inline constexpr double kPerfectPsnrDb = 100.0;

// Sums a variant's picture errors as they come.
class QualityMeter {
 public:
  // Pictures of `width` x `height`, shown `frameRate` times a second.
  QualityMeter(int width, int height, double frameRate);
  void Add(const PlaneErrors& errors);
  VideoQuality Result() const;

 private:
  double lumaSamples_;
  double frameRate_;
  std::int64_t pictures_ = 0;
  double lumaMse_ = 0.0;   // sums of each picture's mean squared error
  double planesMse_ = 0.0;
  double worstLumaMse_ = -1.0;
  std::int64_t worstPicture_ = 0;
};

}  // namespace zq48

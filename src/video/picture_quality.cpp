#include "video/picture_quality.h"

#include <cmath>

namespace zq48 {

namespace {

double PsnrDb(double meanSquaredError) {
  if (meanSquaredError <= 0.0) return kPerfectPsnrDb;
  return std::fmin(kPerfectPsnrDb, 10.0 * std::log10(255.0 * 255.0 / meanSquaredError));
}

}  // namespace

QualityMeter::QualityMeter(int width, int height, double frameRate)
    : lumaSamples_(static_cast<double>(width) * height), frameRate_(frameRate) {}

void QualityMeter::Add(const PlaneErrors& e) {
  if (lumaSamples_ <= 0.0) return;
  const double luma = static_cast<double>(e.y) / lumaSamples_;
  // The chroma planes hold a quarter of the luma's samples each.
  const double planes = static_cast<double>(e.y + e.u + e.v) / (lumaSamples_ * 1.5);
  lumaMse_ += luma;
  planesMse_ += planes;
  if (luma > worstLumaMse_) {
    worstLumaMse_ = luma;
    worstPicture_ = pictures_;
  }
  ++pictures_;
}

VideoQuality QualityMeter::Result() const {
  VideoQuality q;
  q.pictures = pictures_;
  if (pictures_ == 0) return q;
  const double n = static_cast<double>(pictures_);
  q.psnrYDb = PsnrDb(lumaMse_ / n);
  q.psnrDb = PsnrDb(planesMse_ / n);
  q.worstPsnrYDb = PsnrDb(worstLumaMse_);
  q.worstAtSeconds = frameRate_ > 0.0 ? static_cast<double>(worstPicture_) / frameRate_ : 0.0;
  return q;
}

}  // namespace zq48

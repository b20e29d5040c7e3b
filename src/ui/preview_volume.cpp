#include "ui/preview_volume.h"

#include <algorithm>
#include <cmath>

namespace zq48 {

int Attenuation(int slider, bool muted) {
  if (muted || slider <= 0) return kSilence;
  const int a = static_cast<int>(std::trunc((std::log10(slider) - 2.0) * 5000.0));
  return a < kSilence + 1 ? kSilence : std::min(a, 0);
}

int MovieVolume(int attenuation) {
  if (attenuation <= kSilence) return 0;
  const double q = std::trunc(std::pow(10.0, attenuation / 4152.41 + 2.41));
  return static_cast<int>(std::clamp(q, 0.0, 256.0));
}

double LinearGain(int attenuation) {
  if (attenuation <= kSilence) return 0.0;
  return std::pow(10.0, attenuation / 2000.0);  // hundredths of a dB of amplitude
}

}  // namespace zq48

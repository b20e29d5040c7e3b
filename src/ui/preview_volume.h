#pragma once

namespace zq48 {

// The preview's volume slider runs 1..100 and maps to an attenuation in
// hundredths of a decibel: 100 is full volume (0), lower positions fall off
// logarithmically, and everything quieter than -99.99 dB is silence.
inline constexpr int kSilence = -10000;
inline constexpr int kVolumeSliderMin = 1;
inline constexpr int kVolumeSliderMax = 100;

int Attenuation(int slider, bool muted);
// The same attenuation on the 0..256 scale of movie players (256 = full volume).
int MovieVolume(int attenuation);
// The linear gain an audio output takes (0..1).
double LinearGain(int attenuation);

}  // namespace zq48

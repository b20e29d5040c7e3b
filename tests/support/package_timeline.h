#pragma once

// What the stream files of an encoded package show and play, and when:
// every video stream file and every audio stream file of a folder decoded
// with FFmpeg's own decoders, and the marks a test looks for in them (flash
// pictures, tone bursts).

#include <cstdint>
#include <string>
#include <vector>

#include "container/stream_headers.h"

namespace zq48::testing {

// LAME's start-up delay: the encoder's 576 samples and the decoder's 529.
// A package's sound plays that much late unless the player trims it.
inline constexpr int kMp3DelaySamples = 576 + 529;

struct PackagePictures {
  std::string name;
  VideoHeader header;
  double frameRate = 0;
  int width = 0;  // as decoded
  int height = 0;
  int errors = 0;  // packets or frames the decoder refused
  std::vector<std::vector<std::uint8_t>> pictures;  // blue-green-red, top row first
};

struct PackageSound {
  std::string name;
  AudioHeader header;
  int rate = 0;
  int errors = 0;
  std::vector<float> samples;  // first channel, the decoder's delay included
};

struct PackageStreams {
  std::vector<PackagePictures> videos;  // by name
  std::vector<PackageSound> sounds;
};

// Every "…bps.video.zq48" and "…bps.audio.zq48" file of `folder`.
PackageStreams ReadPackageStreams(const std::string& folder);

// Mean luma (0..255) of a region given in fractions of the picture's width and height.
double RegionLuma(const std::vector<std::uint8_t>& bgr, int width, int height, double left, double top,
                  double right, double bottom);

// The first picture of each run of pictures brighter than `threshold` (mean luma).
std::vector<int> FlashPictures(const PackagePictures& video, double threshold = 140);

// A stretch of tone between silences, in samples of the decoded sound.
struct ToneBurst {
  double start = 0;
  double end = 0;
};
// Found by the energy of short windows (2 ms), with some hysteresis so that
// coding noise neither starts nor ends a burst.
std::vector<ToneBurst> ToneBursts(const PackageSound& sound);

// A burst's pitch, from the zero crossings of its middle.
double ToneHz(const PackageSound& sound, const ToneBurst& burst);

}  // namespace zq48::testing

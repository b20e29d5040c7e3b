#pragma once

namespace zq48 {

// One output variant of one input file: the parameters that yield one video
// stream file and one audio stream file. Fields in declaration order.
struct OutputFilter {
  int audioOn = 0;
  int videoOn = 0;
  double beginTime = 0.0;  // seconds; begin 0 with end 0 means the whole file
  double endTime = 0.0;    // seconds
  int cropBottom = 0;      // pixels
  int cropLeft = 0;
  int cropRight = 0;
  int cropTop = 0;
  int audioChannels = 0;
  int audioSampleRate = 0;  // Hz
  int audioBitRate = 0;     // kbps
  float volume = 1.0f;      // gain factor
  int videoBitRate = 10;    // kbps
  int width = 160;          // pixels
  int height = 120;         // pixels
  double frameRate = 0.0;   // frames per second

  bool operator==(const OutputFilter&) const = default;
};

// Everything of a variant the sound encode reads: the audio stage is given
// these and nothing else, so variants whose SoundSettings are equal encode
// the same sound bytes from the same decode and can share one encode. A new
// setting the sound depends on must be added here to reach the encoder at
// all, and is then part of the comparison too.
struct SoundSettings {
  int channels = 0;
  int sampleRate = 0;  // Hz
  int bitRate = 0;     // kbps
  float volume = 1.0f;
  bool operator==(const SoundSettings&) const = default;
};

inline SoundSettings SoundOf(const OutputFilter& f) {
  return {f.audioChannels, f.audioSampleRate, f.audioBitRate, f.volume};
}

}  // namespace zq48

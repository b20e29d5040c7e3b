#pragma once

#include <cstddef>
#include <cstdint>

#include "core/notifier.h"

namespace zq48 {

// Where the audio stage of one variant delivers what it makes. The stage
// knows nothing of jobs: whoever runs it decides where the bytes go and who
// hears of progress and failures. Called on the stage's thread; an
// implementation takes its own locks.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // Whether the variant's audio stream is open to be written.
  virtual bool AudioStreamOpen() = 0;
  // Appends MP3 bytes at the end of the variant's audio stream (its header
  // may be written meanwhile by others); false when they could not be written.
  virtual bool AppendAudio(const std::uint8_t* data, std::size_t size) = 0;
  // The stage has taken the sound up to `seconds` (its progress).
  virtual void AudioReached(double seconds) = 0;
  // The stage has closed after `samples` samples per channel.
  virtual void AudioClosed(std::uint64_t samples) = 0;
  // Where the stage's failures are shown.
  virtual Notifier& notifier() = 0;
};

}  // namespace zq48

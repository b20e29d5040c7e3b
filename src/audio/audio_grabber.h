#pragma once

#include <cstdint>

#include "audio/audio_encoder.h"
#include "catalog/media_facts.h"
#include "catalog/output_filter.h"

namespace zq48 {

// What a sound callback answers the decode source; the values are the
// framework's success and failure codes.
enum class CallbackResult : std::uint32_t {
  Ok = 0,
  Fail = 0x80004005,
};

// The general decode source's sound sink: it receives every decoded PCM
// buffer on the source's streaming thread, publishes the position reached
// and feeds the audio encoder stage. It belongs to the decode worker.
class AudioGrabber {
 public:
  explicit AudioGrabber(Mp3CodecFactory openCodec = OpenLameCodec)
      : encoder_(std::move(openCodec)) {}

  // Remembers the connected format and opens the encoder with it. A failure
  // has shown the encoder's message; the caller adds its own.
  bool Init(const WaveFormat& format, AudioOutput& output, const SoundSettings& sound);
  // One decoded buffer: `sampleTime` in seconds from the start of the range.
  // The source goes on delivering after a failure.
  CallbackResult BufferCB(double sampleTime, const std::uint8_t* buffer, long length);
  // Encodes what is left and flushes (the worker calls it once its source has stopped).
  bool Close() { return encoder_.Close(); }

  const WaveFormat& format() const { return format_; }

 private:
  AudioOutput* output_ = nullptr;
  WaveFormat format_;
  AudioEncoder encoder_;
};

}  // namespace zq48

#include "audio/audio_grabber.h"

namespace zq48 {

bool AudioGrabber::Init(const WaveFormat& format, AudioOutput& output, const SoundSettings& sound) {
  output_ = &output;
  format_ = format;
  return encoder_.Open(
      PcmFormat{format.channels, static_cast<int>(format.samplesPerSec), format.bitsPerSample}, output,
      sound);
}

CallbackResult AudioGrabber::BufferCB(double sampleTime, const std::uint8_t* buffer, long length) {
  if (output_ == nullptr || length < 0) return CallbackResult::Fail;
  output_->AudioReached(sampleTime);
  bool ok = false;
  try {  // nothing may escape into the source's streaming thread
    ok = encoder_.Append(buffer, static_cast<std::size_t>(length));
  } catch (...) {
    ok = false;
  }
  return ok ? CallbackResult::Ok : CallbackResult::Fail;
}

}  // namespace zq48

#include "encode/pipeline/variant_outputs.h"

namespace zq48 {

void VideoOutputs::WriteVideo(const std::uint8_t* data, std::size_t size) {
  // A failed write stays on the stream and fails the variant at finishing.
  variant_.streams.video.Write(data, size);
}

void VideoOutputs::VideoReached(double seconds) {
  variant_.progress.With([seconds](VariantProgress& p) { p.video = seconds; });
}

bool SoundOutputs::AudioStreamOpen() {
  for (VariantJob* v : takers_)
    if (!v->streams.audio.IsOpen()) return false;
  return !takers_.empty();
}

bool SoundOutputs::AppendAudio(const std::uint8_t* data, std::size_t size) {
  bool all = true;
  for (VariantJob* v : takers_) all = v->streams.audio.AppendAtEnd(data, size) && all;
  return all;
}

void SoundOutputs::AudioReached(double seconds) {
  for (VariantJob* v : takers_) v->progress.With([seconds](VariantProgress& p) { p.audio = seconds; });
}

void SoundOutputs::AudioClosed(std::uint64_t samples) {
  for (VariantJob* v : takers_) v->streams.audioSamples = samples;
}

void SoundOutputs::Show(const Message& message) {
  for (VariantJob* v : takers_) v->notifier().Show(message);
}

bool SoundOutputs::Ask(const std::string& text, const std::string& caption) {
  return !takers_.empty() && takers_.front()->notifier().Ask(text, caption);
}

}  // namespace zq48

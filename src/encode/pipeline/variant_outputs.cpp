#include "encode/pipeline/variant_outputs.h"

namespace zq48 {

void VariantOutputs::WriteVideo(const std::uint8_t* data, std::size_t size) {
  // A failed write stays on the stream and fails the variant at finishing.
  job_.state.videoFile.With([&](VideoFileSlot& slot) { slot.file.Write(data, size); });
}

void VariantOutputs::VideoReached(double seconds) {
  job_.state.variant.With([seconds](VariantState& v) { v.videoInProgress = seconds; });
}

bool VariantOutputs::AudioStreamOpen() {
  return job_.state.audioFile.With([](const AudioFileSlot& s) { return s.file.IsOpen(); });
}

bool VariantOutputs::AppendAudio(const std::uint8_t* data, std::size_t size) {
  return job_.state.audioFile.With([&](AudioFileSlot& s) { return s.file.AppendAtEnd(data, size); });
}

void VariantOutputs::AudioReached(double seconds) {
  job_.state.variant.With([seconds](VariantState& v) { v.audioInProgress = seconds; });
}

void VariantOutputs::AudioClosed(std::uint64_t samples) {
  job_.state.variant.With([samples](VariantState& v) { v.audioSampleCount = samples; });
}

DecodedVideo DecodedVideoOf(JobContext& job, const std::string& sourcePath) {
  DecodedVideo decoded;
  job.state.variant.With([&decoded](const VariantState& v) {
    decoded.width = v.decodedWidth;
    decoded.height = v.decodedHeight;
  });
  decoded.frameRate = job.state.snapshot.With(
      [&sourcePath](const JobSnapshot& snap) { return snap.catalog.Facts(sourcePath).frameRate; });
  return decoded;
}

}  // namespace zq48

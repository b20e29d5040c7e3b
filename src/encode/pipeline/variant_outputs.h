#pragma once

#include <string>

#include "audio/audio_output.h"
#include "encode/job_context.h"
#include "video/video_output.h"

namespace zq48 {

// The stages' outputs of one variant in its job state: the video and audio
// stream files under their locks, the in-progress positions and the sample
// total under lock B, and the job's notifier. It must outlive the stages it
// is given to.
class VariantOutputs final : public VideoOutput, public AudioOutput {
 public:
  explicit VariantOutputs(JobContext& job) : job_(job) {}

  void WriteVideo(const std::uint8_t* data, std::size_t size) override;
  void VideoReached(double seconds) override;
  bool AudioStreamOpen() override;
  // The job driver also writes the audio file (its header, at offset 0), so
  // every append seeks to the end under the audio file lock.
  bool AppendAudio(const std::uint8_t* data, std::size_t size) override;
  void AudioReached(double seconds) override;
  void AudioClosed(std::uint64_t samples) override;
  Notifier& notifier() override { return job_.notifier; }

 private:
  JobContext& job_;
};

// The pictures the video stage of the job's variant of `sourcePath` takes:
// the size the decode source stored and the file's frame rate in the snapshot.
DecodedVideo DecodedVideoOf(JobContext& job, const std::string& sourcePath);

}  // namespace zq48

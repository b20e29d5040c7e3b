#pragma once

#include <vector>

#include "audio/audio_output.h"
#include "encode/variant_job.h"
#include "video/video_output.h"

namespace zq48 {

// Where the stages of a variant deliver. Every stage writes from one thread,
// and no stream file is written by two threads, so the files need no lock;
// the progress has its own. Each must outlive the stage it is given to.

// The video stage's: the variant's own video stream file and progress.
class VideoOutputs final : public VideoOutput {
 public:
  explicit VideoOutputs(VariantJob& variant) : variant_(variant) {}
  void WriteVideo(const std::uint8_t* data, std::size_t size) override;
  void VideoReached(double seconds) override;
  void VideoMeasured(const VideoQuality& quality) override { variant_.streams.videoQuality = quality; }
  Notifier& notifier() override { return variant_.notifier(); }

 private:
  VariantJob& variant_;
};

// The sound encode's: the audio stream file of every variant that shares
// it (variants with the same sound settings), with the position and the
// sample total. Its failures are told for each of them, as each one's own
// encode would have told them.
class SoundOutputs final : public AudioOutput, private Notifier {
 public:
  explicit SoundOutputs(std::vector<VariantJob*> takers) : takers_(std::move(takers)) {}
  // One more variant whose audio stream file gets the sound (before the encode starts).
  void Add(VariantJob& taker) { takers_.push_back(&taker); }

  bool AudioStreamOpen() override;
  bool AppendAudio(const std::uint8_t* data, std::size_t size) override;
  void AudioReached(double seconds) override;
  void AudioClosed(std::uint64_t samples) override;
  Notifier& notifier() override { return *this; }

 private:
  void Show(const Message& message) override;
  bool Ask(const std::string& text, const std::string& caption) override;

  std::vector<VariantJob*> takers_;
};

}  // namespace zq48

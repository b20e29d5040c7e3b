#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/lame_codec.h"
#include "audio/audio_output.h"
#include "audio/mp3_codec.h"
#include "audio/pcm_frame.h"
#include "audio/pcm_staging.h"
#include "catalog/output_filter.h"

namespace zq48 {

// The audio encoder stage of one variant: takes the decoded PCM of the input
// file, encodes it to MP3 with the variant's settings and appends the MP3
// bytes to the variant's audio stream through its output.
//
// Calling order: Open once, Append from one thread at a time, Close once.
// Every failure is shown through the output's notifier (system box, caption
// "Error") and returned as false. A failure that gave up the codec ends
// streaming for good: later appends fail quietly and Close encodes nothing.
class AudioEncoder {
 public:
  explicit AudioEncoder(Mp3CodecFactory openCodec = OpenLameCodec);
  AudioEncoder(const AudioEncoder&) = delete;
  AudioEncoder& operator=(const AudioEncoder&) = delete;

  // Sets up the codec for `input` PCM and the variant's sound settings.
  // The LAMEOPT environment variable may add encoder options; the
  // variant's own settings win over them.
  bool Open(const PcmFormat& input, AudioOutput& output, const SoundSettings& sound);
  // Stages a chunk of PCM, encoding in a burst when the staging block is full.
  bool Append(const void* pcm, std::size_t bytes);
  // Encodes what is staged, flushes the codec, releases it and tells the
  // output the sample total. False when that final encode failed.
  bool Close();

  // Samples per channel handed to the codec since Open.
  std::uint64_t SampleTotal() const { return sampleTotal_; }

 private:
  // Which step of the encode a frame belongs to; each reports its own texts.
  enum class Step { Burst, FinalWhole, FinalLast };

  std::unique_ptr<Mp3Codec> OpenCodec(const std::vector<std::string>& arguments);
  bool EncodeBurst(const std::uint8_t* chunk, std::size_t bytes);
  bool EncodeWholeFrames(Step step);
  bool EncodeFrame(int samples, Step step);
  bool EncodeRest();
  bool WriteMp3(int bytes);
  bool Fail(const char* text, bool releaseCodec);
  std::size_t BlockBytes() const { return static_cast<std::size_t>(input_.BlockBytes()); }

  static constexpr int kMaxFrameSamples = 1152;
  static constexpr int kMp3BufferSize = 16384;

  Mp3CodecFactory openCodec_;
  AudioOutput* output_ = nullptr;
  PcmFormat input_;
  std::uint64_t sampleTotal_ = 0;
  std::unique_ptr<Mp3Codec> codec_;      // null when not streaming
  std::unique_ptr<PcmStaging> staging_;  // allocated at Open, freed at Close
  std::array<int, kMaxFrameSamples> left_{};
  std::array<int, kMaxFrameSamples> right_{};
  std::array<std::uint8_t, kMp3BufferSize> mp3_{};
};

}  // namespace zq48

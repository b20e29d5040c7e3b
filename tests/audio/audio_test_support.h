#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "audio/mp3_codec.h"
#include "encode/job_context.h"
#include "encode/pipeline/variant_outputs.h"
#include "support/null_job_host.h"
#include "support/recording_notifier.h"

namespace zq48::testing {

using Bytes = std::vector<std::uint8_t>;

// The parts of a running job the audio path touches: one variant of a job.
struct AudioJob {
  explicit AudioJob(VariantPlan plan = {}) : variant(state, notifier, std::move(plan)) {}

  JobState state;
  RecordingNotifier notifier;
  NullJobHost host;
  JobContext context{state, notifier, host, host};
  VariantJob variant;
  SoundOutputs outputs{{&variant}};  // what the sound stage writes into
  VideoOutputs videoOutputs{variant};

  // Puts a new audio stream file with its zeroed header into the variant's streams.
  void OpenAudioFile(const std::string& path);
  double AudioProgress() const {
    return variant.progress.With([](const VariantProgress& p) { return p.audio; });
  }
};

// Everything an Mp3Codec was asked to do.
struct CodecLog {
  int opened = 0;
  int released = 0;
  Mp3CodecSetup setup;
  std::vector<int> calls;  // samples per channel of every encode call
  std::vector<int> left;   // every left sample encoded, in order
  std::vector<int> right;
  int flushes = 0;
  int failAtCall = -1;  // the encode call (from 0) that reports failure
};

// Opens the real codec and wraps it, so that tests see how the PCM was cut.
Mp3CodecFactory RecordingLame(std::shared_ptr<CodecLog> log);
// A stand-in codec with a fixed frame size that only records: every encode
// call and the flush yield one byte. Fast enough for megabytes of PCM.
Mp3CodecFactory RecordingFake(std::shared_ptr<CodecLog> log, int frameSize);

// An MP3 stream decoded by FFmpeg's own MP3 decoder.
struct DecodedMp3 {
  int sampleRate = 0;
  int channels = 0;
  std::set<int> frameKbps;   // the bit rates the frame headers name
  std::int64_t samples = 0;  // per channel
  int frames = 0;
  int errors = 0;  // packets or frames the decoder refused
};
DecodedMp3 DecodeMp3(const Bytes& stream);

// The bytes of a file.
Bytes ReadFile(const std::string& path);

// Interleaved signed 16-bit little-endian tone, `samples` per channel.
Bytes Tone16(int channels, int sampleRate, int samples);

}  // namespace zq48::testing

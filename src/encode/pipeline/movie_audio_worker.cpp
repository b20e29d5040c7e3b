#include "encode/pipeline/movie_audio_worker.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "encode/pipeline/audio_stream_files.h"
#include "encode/pipeline/variant_outputs.h"

namespace zq48 {

namespace {

constexpr int kChunkBytes = 4096;

// The range is cut to whole seconds; an end under one second means the end of the media.
std::unique_ptr<MovieSoundSource> OpenRange(const std::string& path, const PcmFormat& format,
                                            const OutputFilter& filter, int* error) {
  return OpenMovieSound(path, format, static_cast<std::int64_t>(std::trunc(filter.beginTime)),
                        static_cast<std::int64_t>(std::trunc(filter.endTime)), error);
}

// The sound as the encoder takes it: more than two channels mixed down to stereo.
PcmFormat EncodedFormat(const AudioFormat& format) {
  return PcmFormat{std::min<int>(format.wave.channels, 2), static_cast<int>(format.wave.samplesPerSec),
                   format.wave.bitsPerSample};
}

// One sound encode and the variants whose audio stream files it writes.
struct SoundEncode {
  explicit SoundEncode(VariantJob& first) : plan(first.plan), outputs({&first}) {}
  const VariantPlan& plan;  // of the variant it was opened for
  SoundOutputs outputs;
  AudioEncoder encoder;
};

// A variant's steps up to its sound: its audio stream file; false after the
// step's message. Sound switched off: no audio file, nothing encoded.
bool PrepareFile(VariantJob& variant) {
  const VariantPlan& plan = variant.plan;
  if (!plan.filter.audioOn) return false;
  // The video working path is the video worker's: deleting it from here, on
  // another thread, could remove the video file just created. The audio
  // file itself is created anew.
  if (!CreateMovieAudioFile(variant)) return false;
  if (!plan.audioFormat) {
    variant.notifier().ShowApp("error input audio property 4");
    return false;
  }
  return true;
}

}  // namespace

int ConvertMovieSound(MovieSoundSource& sound, const std::vector<MovieSoundTarget>& targets, const JobState& job,
                      const std::function<void(double seconds)>& reached) {
  std::uint8_t chunk[kChunkBytes];
  std::vector<bool> failed(targets.size(), false);
  for (;;) {
    if (job.StoppedAfterPause()) return 0;
    int bytes = sound.Read(chunk, kChunkBytes);
    if (bytes < 0) return bytes;
    reached(static_cast<double>(sound.CurrentSeconds()));
    if (bytes == 0) return 0;
    for (std::size_t i = 0; i < targets.size(); ++i) {
      if (failed[i] || targets[i].encoder->Append(chunk, static_cast<std::size_t>(bytes))) continue;
      // The conversion itself went well: this message is the only one.
      targets[i].notifier->ShowApp("Error encode audio 2");
      failed[i] = true;
    }
  }
}

void MovieSoundExtraction::Run() {
  std::vector<std::unique_ptr<SoundEncode>> encodes;
  std::vector<VariantJob*> ready;
  for (VariantJob* variant : variants_) {
    if (!PrepareFile(*variant)) continue;
    auto same = std::find_if(encodes.begin(), encodes.end(),
                             [variant](const auto& e) { return SharesSoundEncode(e->plan, variant->plan); });
    if (same != encodes.end()) {
      (*same)->outputs.Add(*variant);
    } else {
      auto encode = std::make_unique<SoundEncode>(*variant);
      if (!encode->encoder.Open(EncodedFormat(*variant->plan.audioFormat), encode->outputs, variant->plan.sound())) {
        variant->notifier().ShowApp("Error initialisation audio");
        continue;
      }
      encodes.push_back(std::move(encode));
    }
    ready.push_back(variant);
  }
  if (encodes.empty()) return;
  const VariantPlan& first = ready.front()->plan;
  PcmFormat converted = EncodedFormat(*first.audioFormat);
  converted.sampleRate = ConverterRate(converted.sampleRate);
  int error = 0;
  std::unique_ptr<MovieSoundSource> sound = OpenRange(first.sourcePath, converted, first.filter, &error);
  std::vector<MovieSoundTarget> targets;
  for (auto& e : encodes) targets.push_back({&e->encoder, &e->outputs.notifier()});
  if (sound)
    error = ConvertMovieSound(*sound, targets, job_, [&encodes](double seconds) {
      for (auto& e : encodes) e->outputs.AudioReached(seconds);
    });
  for (VariantJob* v : ready)
    if (error != 0) v->notifier().ShowApp("Error encode audio 1");
  for (auto& e : encodes) e->encoder.Close();
}

}  // namespace zq48

#include "encode/pipeline/movie_audio_worker.h"

#include <algorithm>
#include <cmath>

#include "encode/pipeline/audio_stream_files.h"

namespace zq48 {

namespace {

constexpr int kChunkBytes = 4096;

}  // namespace

int ConvertMovieSound(MovieSoundSource& sound, AudioEncoder& encoder, JobContext& job) {
  std::uint8_t chunk[kChunkBytes];
  for (;;) {
    if (job.state.StoppedAfterPause()) return 0;
    int bytes = sound.Read(chunk, kChunkBytes);
    if (bytes < 0) return bytes;
    const double seconds = static_cast<double>(sound.CurrentSeconds());
    job.state.variant.With([seconds](VariantState& v) { v.audioInProgress = seconds; });
    if (bytes == 0) return 0;
    if (!encoder.Append(chunk, static_cast<std::size_t>(bytes))) {
      // The conversion itself went well: this message is the only one.
      job.notifier.ShowApp("Error encode audio 2");
      return 0;
    }
  }
}

namespace {

// The same, for every variant of a group at once: the job's own state tells
// when to stop or pause; a variant whose encoder fails stops receiving.
int ConvertMovieSoundToAll(MovieSoundSource& sound, const std::vector<AudioEncoder*>& encoders,
                           const std::vector<JobContext*>& variants, JobContext& job) {
  std::uint8_t chunk[kChunkBytes];
  std::vector<bool> failed(encoders.size(), false);
  for (;;) {
    if (job.state.StoppedAfterPause()) return 0;
    int bytes = sound.Read(chunk, kChunkBytes);
    if (bytes < 0) return bytes;
    const double seconds = static_cast<double>(sound.CurrentSeconds());
    for (JobContext* v : variants) v->state.variant.With([seconds](VariantState& s) { s.audioInProgress = seconds; });
    if (bytes == 0) return 0;
    for (std::size_t i = 0; i < encoders.size(); ++i) {
      if (failed[i] || encoders[i]->Append(chunk, static_cast<std::size_t>(bytes))) continue;
      variants[i]->notifier.ShowApp("Error encode audio 2");
      failed[i] = true;
    }
  }
}

// The range is cut to whole seconds; an end under one second means the end of the media.
std::unique_ptr<MovieSoundSource> OpenRange(const std::string& path, const PcmFormat& format,
                                            const OutputFilter& filter, int* error) {
  return OpenMovieSound(path, format, static_cast<std::int64_t>(std::trunc(filter.beginTime)),
                        static_cast<std::int64_t>(std::trunc(filter.endTime)), error);
}

}  // namespace

MovieSoundExtraction::MovieSoundExtraction(JobContext& job, std::vector<JobContext*> variants)
    : job_(job), group_(!variants.empty()), variants_(PlanVariants(job, variants)) {}

void MovieSoundExtraction::Run() { group_ ? RunGroup() : RunOne(); }

bool MovieSoundExtraction::Prepare(const PlannedVariant& variant, VariantOutputs& outputs, AudioEncoder& encoder,
                                   PcmFormat& converted) {
  JobContext& job = *variant.context;
  const VariantPlan& plan = variant.plan;
  if (!plan.filter.audioOn) {
    // Sound switched off for this variant: no audio file, nothing encoded.
    ClearAudioStreamFile(job.state);
    return false;
  }
  // The video working path is the video worker's: deleting it from here, on
  // another thread, could remove the video file just created. The audio
  // file itself is created anew.
  if (!CreateMovieAudioFile(job, plan.basePath)) return false;
  if (!plan.audioFormat) {
    job.notifier.ShowApp("error input audio property 4");
    return false;
  }
  // More than two channels reach the encoder mixed down to stereo.
  const AudioFormat& format = *plan.audioFormat;
  const PcmFormat probed{std::min<int>(format.wave.channels, 2), static_cast<int>(format.wave.samplesPerSec),
                         format.wave.bitsPerSample};
  if (!encoder.Open(probed, outputs, plan.filter)) {
    job.notifier.ShowApp("Error initialisation audio");
    return false;
  }
  converted = probed;
  converted.sampleRate = ConverterRate(probed.sampleRate);
  return true;
}

void MovieSoundExtraction::RunOne() {
  const PlannedVariant& variant = variants_.front();
  VariantOutputs outputs(job_);
  AudioEncoder encoder;
  PcmFormat converted;
  if (!Prepare(variant, outputs, encoder, converted)) return;
  int error = 0;
  std::unique_ptr<MovieSoundSource> sound = OpenRange(variant.plan.sourcePath, converted, variant.plan.filter, &error);
  if (sound) error = ConvertMovieSound(*sound, encoder, job_);
  if (error != 0) job_.notifier.ShowApp("Error encode audio 1");
  encoder.Close();
}

void MovieSoundExtraction::RunGroup() {
  std::vector<std::unique_ptr<VariantOutputs>> outputs;
  std::vector<std::unique_ptr<AudioEncoder>> owned;
  std::vector<AudioEncoder*> encoders;
  std::vector<JobContext*> ready;
  const VariantPlan* first = nullptr;  // of the first variant ready
  PcmFormat converted;
  for (const PlannedVariant& variant : variants_) {
    outputs.push_back(std::make_unique<VariantOutputs>(*variant.context));
    auto encoder = std::make_unique<AudioEncoder>();
    if (!Prepare(variant, *outputs.back(), *encoder, converted)) continue;
    if (!first) first = &variant.plan;
    encoders.push_back(encoder.get());
    ready.push_back(variant.context);
    owned.push_back(std::move(encoder));
  }
  if (ready.empty()) return;
  int error = 0;
  std::unique_ptr<MovieSoundSource> sound = OpenRange(first->sourcePath, converted, first->filter, &error);
  if (sound) error = ConvertMovieSoundToAll(*sound, encoders, ready, job_);
  for (std::size_t i = 0; i < encoders.size(); ++i) {
    if (error != 0) ready[i]->notifier.ShowApp("Error encode audio 1");
    encoders[i]->Close();
  }
}

}  // namespace zq48

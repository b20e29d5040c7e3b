#include "encode/pipeline/movie_audio_worker.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "encode/pipeline/audio_stream_files.h"
#include "encode/job_messages.h"

namespace zq48 {

namespace {

constexpr int kChunkBytes = 4096;

bool StoppedAfterPause(JobState& state) {
  if (state.Stopped()) return true;
  while (state.Paused() && !state.Stopped()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return state.Stopped();
}

}  // namespace

int ConvertMovieSound(MovieSoundSource& sound, AudioEncoder& encoder, JobContext& job) {
  std::uint8_t chunk[kChunkBytes];
  for (;;) {
    if (StoppedAfterPause(job.state)) return 0;
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
    if (StoppedAfterPause(job.state)) return 0;
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

MovieAudioWorker::MovieAudioWorker(MessageThread& driver, std::vector<JobContext*> variants)
    : driver_(driver), variants_(std::move(variants)) {
  On(WM_QT_AUDIO_START, [this](WParam w) { OnStart(w); });
}

void MovieAudioWorker::OnStart(WParam wparam) {
  JobContext& job = JobContext::From(wparam);
  if (variants_.empty()) {
    Run(job);
  } else {
    RunGroup(job);
  }
  // Whatever happened, the driver learns that the sound of the variant has ended.
  PostQuit();
  driver_.Post(WM_JOB_QT_AUDIO_DONE);
}

bool MovieAudioWorker::Prepare(JobContext& job, VariantOutputs& outputs, AudioEncoder& encoder,
                               PcmFormat& converted) {
  auto [path, basePath, filter] = job.state.variant.With([](const VariantState& v) {
    return std::make_tuple(v.sourcePath, v.outputBasePath, v.filter);
  });
  if (!filter.audioOn) {
    // Sound switched off for this variant: no audio file, nothing encoded.
    ClearAudioStreamFile(job.state);
    return false;
  }
  // The video working path is the video worker's: deleting it from here, on
  // another thread, could remove the video file just created. The audio
  // file itself is created anew.
  if (!CreateMovieAudioFile(job, basePath)) return false;
  std::optional<AudioFormat> format = job.state.snapshot.With(
      [&p = path](const JobSnapshot& s) { return s.catalog.Facts(p).audioFormat; });
  if (!format) {
    job.notifier.ShowApp("error input audio property 4");
    return false;
  }
  // More than two channels reach the encoder mixed down to stereo.
  const PcmFormat probed{std::min<int>(format->wave.channels, 2),
                         static_cast<int>(format->wave.samplesPerSec), format->wave.bitsPerSample};
  if (!encoder.Open(probed, outputs, filter)) {
    job.notifier.ShowApp("Error initialisation audio");
    return false;
  }
  converted = probed;
  converted.sampleRate = ConverterRate(probed.sampleRate);
  return true;
}

void MovieAudioWorker::Run(JobContext& job) {
  VariantOutputs outputs(job);
  AudioEncoder encoder;
  PcmFormat converted;
  if (!Prepare(job, outputs, encoder, converted)) return;
  auto [path, filter] =
      job.state.variant.With([](const VariantState& v) { return std::make_pair(v.sourcePath, v.filter); });
  int error = 0;
  std::unique_ptr<MovieSoundSource> sound = OpenRange(path, converted, filter, &error);
  if (sound) error = ConvertMovieSound(*sound, encoder, job);
  if (error != 0) job.notifier.ShowApp("Error encode audio 1");
  encoder.Close();
}

void MovieAudioWorker::RunGroup(JobContext& job) {
  std::vector<std::unique_ptr<VariantOutputs>> outputs;
  std::vector<std::unique_ptr<AudioEncoder>> owned;
  std::vector<AudioEncoder*> encoders;
  std::vector<JobContext*> ready;
  PcmFormat converted;
  for (JobContext* variant : variants_) {
    outputs.push_back(std::make_unique<VariantOutputs>(*variant));
    auto encoder = std::make_unique<AudioEncoder>();
    if (!Prepare(*variant, *outputs.back(), *encoder, converted)) continue;
    encoders.push_back(encoder.get());
    ready.push_back(variant);
    owned.push_back(std::move(encoder));
  }
  if (ready.empty()) return;
  auto [path, filter] = ready.front()->state.variant.With(
      [](const VariantState& v) { return std::make_pair(v.sourcePath, v.filter); });
  int error = 0;
  std::unique_ptr<MovieSoundSource> sound = OpenRange(path, converted, filter, &error);
  if (sound) error = ConvertMovieSoundToAll(*sound, encoders, ready, job);
  for (std::size_t i = 0; i < encoders.size(); ++i) {
    if (error != 0) ready[i]->notifier.ShowApp("Error encode audio 1");
    encoders[i]->Close();
  }
}

}  // namespace zq48

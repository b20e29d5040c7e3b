#include "sources/movie_audio_worker.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "audio/audio_stream_files.h"
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

MovieAudioWorker::MovieAudioWorker(MessageThread& driver) : driver_(driver) {
  On(WM_QT_AUDIO_START, [this](WParam w) { OnStart(w); });
}

void MovieAudioWorker::OnStart(WParam wparam) {
  Run(JobContext::From(wparam));
  // Whatever happened, the driver learns that the sound of the variant has ended.
  PostQuit();
  driver_.Post(WM_JOB_QT_AUDIO_DONE);
}

void MovieAudioWorker::Run(JobContext& job) {
  auto [path, basePath, filter] = job.state.variant.With([](const VariantState& v) {
    return std::make_tuple(v.sourcePath, v.outputBasePath, v.filter);
  });
  if (!filter.audioOn) {
    // Sound switched off for this variant: no audio file, nothing encoded.
    ClearAudioStreamFile(job.state);
    return;
  }
  // The video working path is the video worker's: deleting it from here, on
  // another thread, could remove the video file just created. The audio
  // file itself is created anew.
  if (!CreateMovieAudioFile(job, basePath)) return;
  std::optional<AudioFormat> format = job.state.snapshot.With(
      [&path](const JobSnapshot& s) { return s.catalog.Facts(path).audioFormat; });
  if (!format) {
    job.notifier.ShowApp("error input audio property 4");
    return;
  }
  // More than two channels reach the encoder mixed down to stereo.
  const PcmFormat probed{std::min<int>(format->wave.channels, 2),
                         static_cast<int>(format->wave.samplesPerSec), format->wave.bitsPerSample};
  AudioEncoder encoder;
  if (!encoder.Open(probed, job, filter)) {
    job.notifier.ShowApp("Error initialisation audio");
    return;
  }
  // The range is cut to whole seconds; an end under one second means the end of the media.
  int error = 0;
  PcmFormat converted = probed;
  converted.sampleRate = ConverterRate(probed.sampleRate);
  std::unique_ptr<MovieSoundSource> sound =
      OpenMovieSound(path, converted, static_cast<std::int64_t>(std::trunc(filter.beginTime)),
                     static_cast<std::int64_t>(std::trunc(filter.endTime)), &error);
  if (sound) error = ConvertMovieSound(*sound, encoder, job);
  if (error != 0) job.notifier.ShowApp("Error encode audio 1");
  encoder.Close();
}

}  // namespace zq48

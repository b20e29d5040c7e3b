#include "encode/pipeline/variant_stages.h"

#include <unistd.h>

#include "encode/pipeline/audio_stream_files.h"

namespace zq48 {

bool DecodeOpened(JobContext& job, DecodeGraph::OpenStatus status) {
  auto fail = [&job](const char* text, Presentation presentation = Presentation::AppBox,
                     const char* caption = kAppCaption) {
    job.notifier.Show({text, caption, presentation});
    return false;
  };
  switch (status) {
    case DecodeGraph::OpenStatus::Ok:
      return true;
    case DecodeGraph::OpenStatus::NoSource:
      return fail("Could not load source filter for file");
    case DecodeGraph::OpenStatus::VideoFailed:
      return fail("Cannot connect up video chain 1");
    case DecodeGraph::OpenStatus::NoAudioStream:
      return fail("Can't find other splitter pin in graph", Presentation::SystemBox, "");
    case DecodeGraph::OpenStatus::AudioFailed:
      return fail("Could not connect audio source to grabber");
  }
  return false;
}

bool VariantStages::Fail(const std::string& text, Presentation presentation, const char* caption) {
  job_.notifier.Show({text, caption, presentation});
  return false;
}

bool VariantStages::CreateStreamFiles(const VariantPlan& plan) {
  JobState& state = job_.state;
  ::unlink(plan.basePath.c_str());
  if (plan.encodeVideo()) {
    state.variant.With([&plan](VariantState& v) { v.videoTempPath = plan.basePath; });
    std::optional<StreamFile> file = StreamFile::Create(plan.basePath);
    if (!file) {
      state.videoFile.With([](VideoFileSlot& slot) { slot.file.Close(); });
      return Fail("Can't create output file", Presentation::PlainBox, kDefaultCaption);
    }
    bool first = state.videoFile.With([&file](VideoFileSlot& slot) {
      slot.file = std::move(*file);
      return slot.file.WritePlaceholder(HeaderKind::FileOutput);
    });
    if (!first) return Fail("Could not HEADER_FILE_OUTPUT write to file 1");
    bool second = state.videoFile.With(
        [](VideoFileSlot& slot) { return slot.file.WritePlaceholder(HeaderKind::Video); });
    if (!second) return Fail("Could not write HEADER_VIDEO to file");
  } else {
    state.videoFile.With([](VideoFileSlot& slot) { slot.file.Close(); });
  }
  if (plan.encodeAudio()) return CreateGeneralAudioFiles(job_, plan.basePath);
  ClearAudioStreamFile(state);
  return true;
}

bool VariantStages::ConnectSound(const VariantPlan& plan, int channels, int sampleRate) {
  if (!plan.audioFormat) return Fail("error input audio property 1");
  // The sound arrives as 16-bit PCM at the announced channels and rate.
  connectedAudio_ = WaveFormat{};
  connectedAudio_.channels = static_cast<std::uint16_t>(channels);
  connectedAudio_.samplesPerSec = static_cast<std::uint32_t>(sampleRate);
  connectedAudio_.bitsPerSample = 16;
  connectedAudio_.blockAlign = static_cast<std::uint16_t>(channels * 2);
  connectedAudio_.avgBytesPerSec = connectedAudio_.samplesPerSec * connectedAudio_.blockAlign;
  return true;
}

bool VariantStages::Open(const VariantPlan& plan) {
  if (plan.encodeVideo()) {
    if (!CreateVideoEncoder(outputs_, DecodedVideoOf(job_, plan.sourcePath), plan.filter, video_))
      return Fail("Could not open Video CallBackGrab on the graph");
    videoOpen_ = true;
  }
  if (plan.encodeAudio()) {
    audio_ = std::make_unique<AudioGrabber>();
    if (!audio_->Init(connectedAudio_, outputs_, plan.filter)) {
      audio_.reset();
      return Fail("Could not open Audio CallBackGrab on the graph");
    }
  }
  return true;
}

void VariantStages::Picture(double t, SharedBuffer picture) {
  if (videoOpen_) EncodeVideoFrame(t, std::move(picture), video_);
}

void VariantStages::Finish(double timelineEnd) {
  if (videoOpen_) FinishVideoFrames(timelineEnd, video_);
}

void VariantStages::Sound(double t, const std::uint8_t* data, std::size_t bytes) {
  if (audio_) audio_->BufferCB(t, data, static_cast<long>(bytes));
}

void VariantStages::Close() {
  if (audio_) audio_->Close();
  audio_.reset();
  if (videoOpen_) DestroyVideoEncoder(video_);
  videoOpen_ = false;
}

}  // namespace zq48

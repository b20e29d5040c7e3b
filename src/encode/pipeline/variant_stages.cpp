#include "encode/pipeline/variant_stages.h"

#include <unistd.h>

#include "encode/pipeline/audio_stream_files.h"

namespace zq48 {

bool DecodeOpened(Notifier& notifier, DecodeGraph::OpenStatus status) {
  auto fail = [&notifier](const char* text, Presentation presentation = Presentation::AppBox,
                          const char* caption = kAppCaption) {
    notifier.Show({text, caption, presentation});
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
  variant_.notifier().Show({text, caption, presentation});
  return false;
}

bool VariantStages::CreateStreamFiles() {
  const VariantPlan& plan = variant_.plan;
  VariantStreams& streams = variant_.streams;
  ::unlink(plan.basePath.c_str());
  if (plan.encodeVideo()) {
    streams.videoPath = plan.basePath;
    std::optional<StreamFile> file = StreamFile::Create(plan.basePath);
    if (!file) {
      streams.video.Close();
      return Fail("Can't create output file", Presentation::PlainBox, kDefaultCaption);
    }
    streams.video = std::move(*file);
    if (!streams.video.WritePlaceholder(HeaderKind::FileOutput))
      return Fail("Could not HEADER_FILE_OUTPUT write to file 1");
    if (!streams.video.WritePlaceholder(HeaderKind::Video)) return Fail("Could not write HEADER_VIDEO to file");
  }
  if (plan.encodeAudio()) return CreateGeneralAudioFiles(variant_);
  return true;
}

bool VariantStages::ConnectSound(int channels, int sampleRate) {
  if (!variant_.plan.audioFormat) return Fail("error input audio property 1");
  // The sound arrives as 16-bit PCM at the announced channels and rate.
  connectedAudio_ = WaveFormat{};
  connectedAudio_.channels = static_cast<std::uint16_t>(channels);
  connectedAudio_.samplesPerSec = static_cast<std::uint32_t>(sampleRate);
  connectedAudio_.bitsPerSample = 16;
  connectedAudio_.blockAlign = static_cast<std::uint16_t>(channels * 2);
  connectedAudio_.avgBytesPerSec = connectedAudio_.samplesPerSec * connectedAudio_.blockAlign;
  return true;
}

bool VariantStages::Open(const DecodedVideo& decoded, std::vector<VariantJob*> sound) {
  const VariantPlan& plan = variant_.plan;
  if (plan.encodeVideo()) {
    if (!CreateVideoEncoder(video_, decoded, plan.filter, videoStage_))
      return Fail("Could not open Video CallBackGrab on the graph");
    videoOpen_ = true;
  }
  if (plan.encodeAudio() && !sound.empty()) {
    sound_.emplace(std::move(sound));
    audio_ = std::make_unique<AudioGrabber>();
    if (!audio_->Init(connectedAudio_, *sound_, plan.sound())) {
      audio_.reset();
      return Fail("Could not open Audio CallBackGrab on the graph");
    }
  }
  return true;
}

void VariantStages::Picture(double t, SharedBuffer picture) {
  if (videoOpen_) EncodeVideoFrame(t, std::move(picture), videoStage_);
}

void VariantStages::Finish(double timelineEnd) {
  if (videoOpen_) FinishVideoFrames(timelineEnd, videoStage_);
}

void VariantStages::Sound(double t, const std::uint8_t* data, std::size_t bytes) {
  if (audio_) audio_->BufferCB(t, data, static_cast<long>(bytes));
}

void VariantStages::Close() {
  if (audio_) audio_->Close();
  audio_.reset();
  if (videoOpen_) DestroyVideoEncoder(videoStage_);
  videoOpen_ = false;
}

}  // namespace zq48

#include "sources/general_decode_worker.h"

#include <unistd.h>

#include <cmath>

#include "audio/audio_stream_files.h"
#include "encode/job_messages.h"

namespace zq48 {

// What one variant asks of the decode, read from the job state at start.
struct GeneralDecodeWorker::Plan {
  std::string sourcePath;
  std::string basePath;  // the video working path
  OutputFilter filter;
  bool hasAudio = false;
  bool hasVideo = false;
  std::optional<AudioFormat> audioFormat;
  bool encodeVideo() const { return hasVideo && filter.videoOn; }
  bool encodeAudio() const { return hasAudio && filter.audioOn; }
};

GeneralDecodeWorker::GeneralDecodeWorker() {
  On(WM_DS_START, [this](WParam w) { OnStart(w); });
  On(WM_DS_STOP, [this](WParam w) { OnStop(w); });
  On(WM_DS_PAUSE, [this](WParam w) { OnPause(w); });
  On(WM_DS_RESUME, [this](WParam w) { OnResume(w); });
}

GeneralDecodeWorker::~GeneralDecodeWorker() { EndAndJoin(); }

bool GeneralDecodeWorker::Fail(const std::string& text, Presentation presentation,
                               const char* caption) {
  job_->notifier.Show({text, caption, presentation});
  return false;
}

void GeneralDecodeWorker::ReportCompletion() {
  QueueGraphEvent(kGraphEventComplete);
  job_->graphEvents.OnGraphEvent();
}

void GeneralDecodeWorker::OnStart(WParam wparam) {
  paused_ = false;
  job_ = &JobContext::From(wparam);
  Plan plan;
  std::tie(plan.sourcePath, plan.basePath, plan.filter) =
      job_->state.variant.With([](const VariantState& v) {
        return std::make_tuple(v.sourcePath, v.outputBasePath, v.filter);
      });
  job_->state.snapshot.With([&plan](const JobSnapshot& s) {
    const MediaFacts& f = s.catalog.Facts(plan.sourcePath);
    plan.hasAudio = f.hasAudio;
    plan.hasVideo = f.hasVideo;
    plan.audioFormat = f.audioFormat;
  });
  // A start that fails still ends the variant, so the job never waits for ever.
  if (!Build(plan)) {
    if (graph_) graph_->Stop();
    ReportCompletion();
  }
}

bool GeneralDecodeWorker::Build(const Plan& plan) {
  if (!CreateStreamFiles(plan) || !OpenGraph(plan) || !SetUpStages(plan)) return false;
  const OutputFilter& f = plan.filter;
  if (f.beginTime != 0 || f.endTime != 0) {
    // The range is cut to whole seconds.
    graph_->SetRange(static_cast<std::int64_t>(std::trunc(f.beginTime)) * 10'000'000,
                     static_cast<std::int64_t>(std::trunc(f.endTime)) * 10'000'000);
  }
  DecodeGraph::Delivery pictures, sound;
  if (videoStage_)
    pictures = [this](double t, const std::uint8_t* data, std::size_t bytes) {
      EncodeVideoFrame(t, data, bytes, video_);
    };
  if (audio_)
    sound = [this](double t, const std::uint8_t* data, std::size_t bytes) {
      audio_->BufferCB(t, data, static_cast<long>(bytes));
    };
  if (!graph_->Run(std::move(pictures), std::move(sound), [this] { ReportCompletion(); }))
    return Fail("Could not RUN the graph 3");
  return true;
}

bool GeneralDecodeWorker::CreateStreamFiles(const Plan& plan) {
  JobState& state = job_->state;
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
  if (plan.encodeAudio()) return CreateGeneralAudioFiles(*job_, plan.basePath);
  ClearAudioStreamFile(state);
  return true;
}

bool GeneralDecodeWorker::OpenGraph(const Plan& plan) {
  graph_ = std::make_unique<DecodeGraph>();
  switch (graph_->Open(plan.sourcePath, plan.encodeVideo(), plan.encodeAudio())) {
    case DecodeGraph::OpenStatus::Ok:
      break;
    case DecodeGraph::OpenStatus::NoSource:
      return Fail("Could not load source filter for file");
    case DecodeGraph::OpenStatus::VideoFailed:
      return Fail("Cannot connect up video chain 1");
    case DecodeGraph::OpenStatus::NoAudioStream:
      return Fail("Can't find other splitter pin in graph", Presentation::SystemBox, "");
    case DecodeGraph::OpenStatus::AudioFailed:
      return Fail("Could not connect audio source to grabber");
  }
  if (plan.encodeVideo()) {
    job_->state.variant.With([this](VariantState& v) {
      v.decodedWidth = graph_->width();
      v.decodedHeight = graph_->height();
    });
  }
  if (plan.encodeAudio()) {
    if (!plan.audioFormat) return Fail("error input audio property 1");
    // The sound arrives as 16-bit PCM at the source's own channels and rate.
    connectedAudio_ = WaveFormat{};
    connectedAudio_.channels = static_cast<std::uint16_t>(graph_->channels());
    connectedAudio_.samplesPerSec = static_cast<std::uint32_t>(graph_->sampleRate());
    connectedAudio_.bitsPerSample = 16;
    connectedAudio_.blockAlign = static_cast<std::uint16_t>(graph_->channels() * 2);
    connectedAudio_.avgBytesPerSec = connectedAudio_.samplesPerSec * connectedAudio_.blockAlign;
  }
  return true;
}

bool GeneralDecodeWorker::SetUpStages(const Plan& plan) {
  if (plan.encodeVideo()) {
    if (!CreateVideoEncoder(*job_, plan.filter, plan.sourcePath, video_))
      return Fail("Could not open Video CallBackGrab on the graph");
    videoStage_ = true;
  }
  if (plan.encodeAudio()) {
    audio_ = std::make_unique<AudioGrabber>();
    if (!audio_->Init(connectedAudio_, *job_, plan.filter)) {
      audio_.reset();
      return Fail("Could not open Audio CallBackGrab on the graph");
    }
  }
  return true;
}

void GeneralDecodeWorker::OnStop(WParam) {
  if (graph_) graph_->Stop();
  PostQuit();
}

void GeneralDecodeWorker::OnPause(WParam) {
  if (graph_) graph_->Pause();
  paused_ = true;
}

void GeneralDecodeWorker::OnResume(WParam) {
  if (graph_) graph_->Resume();
  paused_ = false;
}

void GeneralDecodeWorker::ExitInstance() {
  if (!graph_) return;
  graph_->Stop();
  if (audio_) audio_->Close();
  if (videoStage_) DestroyVideoEncoder(video_);
  graph_.reset();
}

}  // namespace zq48

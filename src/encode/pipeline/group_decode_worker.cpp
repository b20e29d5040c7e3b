#include "encode/pipeline/group_decode_worker.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <tuple>

#include "container/stream_headers.h"
#include "encode/job_messages.h"

namespace zq48 {

GroupDecodeWorker::GroupDecodeWorker(std::vector<JobContext*> variants) : variants_(std::move(variants)) {
  On(WM_DS_START, [this](WParam w) { OnStart(w); });
  On(WM_DS_STOP, [this](WParam w) { OnStop(w); });
  On(WM_DS_PAUSE, [this](WParam w) { OnPause(w); });
  On(WM_DS_RESUME, [this](WParam w) { OnResume(w); });
}

GroupDecodeWorker::~GroupDecodeWorker() { EndAndJoin(); }

bool GroupDecodeWorker::Fail(const std::string& text, Presentation presentation, const char* caption) {
  job_->notifier.Show({text, caption, presentation});
  return false;
}

void GroupDecodeWorker::ReportCompletion() {
  QueueGraphEvent(kGraphEventComplete);
  job_->graphEvents.OnGraphEvent();
}

void GroupDecodeWorker::OnStart(WParam wparam) {
  job_ = &JobContext::From(wparam);
  if (!Build()) {
    if (graph_) graph_->Stop();
    for (auto& p : pipelines_) p->Cancel();
    ReportCompletion();
  }
}

// The steps of a single variant's start, variant by variant in list order,
// around one decode: each variant's messages come in the order a decode of
// its own would show them.
bool GroupDecodeWorker::Build() {
  bool video = false, audio = false;
  for (JobContext* v : variants_) {
    plans_.push_back(ReadVariantPlan(*v));
    video = video || plans_.back().encodeVideo();
    audio = audio || plans_.back().encodeAudio();
  }
  graph_ = std::make_unique<DecodeGraph>();
  const DecodeGraph::OpenStatus status = graph_->Open(plans_.front().sourcePath, video, audio);
  for (std::size_t i = 0; i < variants_.size(); ++i) soundLeaders_.push_back(SoundLeader(i));
  std::vector<bool> started(variants_.size(), false);
  for (std::size_t i = 0; i < variants_.size(); ++i) {
    const VariantPlan& plan = plans_[i];
    // A variant copying another's sound only needs that one to have started.
    if (soundLeaders_[i] >= 0 && !started[static_cast<std::size_t>(soundLeaders_[i])]) soundLeaders_[i] = -1;
    auto own = std::make_unique<VariantStages>(*variants_[i]);
    VariantStages& stages = *own;
    if (!stages.CreateStreamFiles(plan) || !OpenGraph(plan)) continue;
    JobState& state = variants_[i]->state;
    if (status != DecodeGraph::OpenStatus::Ok) continue;
    if (plan.encodeVideo())
      state.variant.With([this](VariantState& v) {
        v.decodedWidth = graph_->width();
        v.decodedHeight = graph_->height();
      });
    if (plan.encodeAudio() && !stages.ConnectSound(plan, graph_->channels(), graph_->sampleRate())) continue;
    VariantPlan opened = plan;
    if (soundLeaders_[i] >= 0) opened.filter.audioOn = 0;  // its sound comes from the leader
    if (!stages.Open(opened)) continue;
    started[i] = true;
    VariantStages* s = own.get();
    auto pipeline = std::make_unique<VariantPipeline>(
        VariantPipeline::Stages{[s](double t, const std::uint8_t* d, std::size_t n) { s->Picture(t, d, n); },
                                [s](double t, const std::uint8_t* d, std::size_t n) { s->Sound(t, d, n); },
                                [s] { s->Close(); }},
        [this] { PipelineEnded(); });
    if (stages.encodesVideo()) pictureTakers_.push_back(pipeline.get());
    if (stages.encodesAudio()) soundTakers_.push_back(pipeline.get());
    pipelines_.push_back(std::move(pipeline));
    stages_.push_back(std::move(own));
  }
  if (pipelines_.empty()) return false;
  const OutputFilter& f = plans_.front().filter;
  if (f.beginTime != 0 || f.endTime != 0) {
    // The range is cut to whole seconds.
    graph_->SetRange(static_cast<std::int64_t>(std::trunc(f.beginTime)) * 10'000'000,
                     static_cast<std::int64_t>(std::trunc(f.endTime)) * 10'000'000);
  }
  running_ = static_cast<int>(pipelines_.size());
  for (auto& p : pipelines_) p->Start();
  DecodeGraph::SharedDelivery pictures = [this](double t, VariantPipeline::Buffer picture) {
    for (VariantPipeline* p : pictureTakers_) p->PushPicture(t, picture);
  };
  auto sound = [this](double t, const std::uint8_t* d, std::size_t n) { DeliverSound(t, d, n); };
  if (!graph_->Run(std::move(pictures), sound, [this] { DecodeEnded(); })) {
    for (std::size_t i = 0; i < pipelines_.size(); ++i) Fail("Could not RUN the graph 3");
    return false;
  }
  return true;
}

// The open's message for one variant, as its own decode would give it.
bool GroupDecodeWorker::OpenGraph(const VariantPlan&) {
  return DecodeOpened(*job_, graph_ ? graph_->LastOpenStatus() : DecodeGraph::OpenStatus::NoSource);
}

void GroupDecodeWorker::DeliverSound(double time, const std::uint8_t* data, std::size_t bytes) {
  if (soundTakers_.empty()) return;
  // One copy for every pipeline: the decode reuses its buffer once this returns.
  auto buffer = std::make_shared<const std::vector<std::uint8_t>>(data, data + bytes);
  for (VariantPipeline* p : soundTakers_) p->PushSound(time, buffer);
}

void GroupDecodeWorker::DecodeEnded() {
  for (auto& p : pipelines_) p->PushEnd();
}

void GroupDecodeWorker::PipelineEnded() {
  if (--running_ != 0) return;
  CopySharedSound();
  ReportCompletion();
}

int GroupDecodeWorker::SoundLeader(std::size_t index) const {
  const VariantPlan& p = plans_[index];
  if (!p.encodeAudio()) return -1;
  for (std::size_t j = 0; j < index; ++j) {
    const VariantPlan& q = plans_[j];
    if (q.encodeAudio() && q.filter.audioChannels == p.filter.audioChannels &&
        q.filter.audioSampleRate == p.filter.audioSampleRate && q.filter.audioBitRate == p.filter.audioBitRate &&
        q.filter.volume == p.filter.volume)
      return soundLeaders_.size() > j && soundLeaders_[j] >= 0 ? soundLeaders_[j] : static_cast<int>(j);
  }
  return -1;
}

// Appends the leader's encoded sound to each follower's audio stream file,
// with the sample count and position its own encode would have stored.
void GroupDecodeWorker::CopySharedSound() {
  for (std::size_t i = 0; i < variants_.size(); ++i) {
    if (soundLeaders_[i] < 0) continue;
    JobState& leader = variants_[static_cast<std::size_t>(soundLeaders_[i])]->state;
    JobState& follower = variants_[i]->state;
    auto [path, samples, position] = leader.variant.With([](const VariantState& v) {
      return std::make_tuple(v.audioTempPath, v.audioSampleCount, v.audioInProgress);
    });
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(kAudioHeadersSize));
    const std::vector<char> payload(std::istreambuf_iterator<char>(in), {});
    const bool copied = follower.audioFile.With(
        [&payload](AudioFileSlot& slot) { return slot.file.AppendAtEnd(payload.data(), payload.size()); });
    if (!copied) job_->notifier.Show({"Output audio file write error 01", "Error", Presentation::SystemBox});
    follower.variant.With([&, samples = samples, position = position](VariantState& v) {
      v.audioSampleCount = samples;
      v.audioInProgress = position;
    });
  }
}

void GroupDecodeWorker::OnStop(WParam) {
  if (graph_) graph_->Stop();
  for (auto& p : pipelines_) p->Cancel();
  PostQuit();
}

void GroupDecodeWorker::OnPause(WParam) {
  if (graph_) graph_->Pause();
}

void GroupDecodeWorker::OnResume(WParam) {
  if (graph_) graph_->Resume();
}

void GroupDecodeWorker::ExitInstance() {
  if (graph_) graph_->Stop();
  for (auto& p : pipelines_) {
    p->Cancel();
    p->Join();
  }
  for (auto& s : stages_) s->Close();  // what a stopped variant still held; its files are deleted after
  pipelines_.clear();
  stages_.clear();
  graph_.reset();
}

}  // namespace zq48

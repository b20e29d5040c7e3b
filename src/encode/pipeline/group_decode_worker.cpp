#include "encode/pipeline/group_decode_worker.h"

#include <fstream>
#include <iterator>
#include <tuple>

#include "container/stream_headers.h"

namespace zq48 {

GroupDecode::GroupDecode(JobContext& job, std::vector<JobContext*> variants)
    : job_(job), variants_(std::move(variants)) {
  for (JobContext* v : variants_) plans_.push_back(ReadVariantPlan(*v));
}

// The steps of a single variant's start, variant by variant in list order,
// around one decode: each variant's messages come in the order a decode of
// its own would show them.
bool GroupDecode::Start(std::function<void()> completed) {
  completed_ = std::move(completed);
  bool video = false, audio = false;
  for (const VariantPlan& plan : plans_) {
    video = video || plan.encodeVideo();
    audio = audio || plan.encodeAudio();
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
    // The open's message for this variant, as its own decode would give it.
    if (!stages.CreateStreamFiles(plan) || !DecodeOpened(job_, status)) continue;
    if (plan.encodeVideo()) PublishDecodedSize(variants_[i]->state, *graph_);
    if (plan.encodeAudio() && !stages.ConnectSound(plan, graph_->channels(), graph_->sampleRate())) continue;
    VariantPlan opened = plan;
    if (soundLeaders_[i] >= 0) opened.filter.audioOn = 0;  // its sound comes from the leader
    if (!stages.Open(opened)) continue;
    started[i] = true;
    VariantStages* s = own.get();
    auto pipeline = std::make_unique<VariantPipeline>(
        VariantPipeline::Stages{[s](double t, SharedBuffer picture) { s->Picture(t, std::move(picture)); },
                                [s](double t, const std::uint8_t* d, std::size_t n) { s->Sound(t, d, n); },
                                [s](double end) {
                                  s->Finish(end);
                                  s->Close();
                                }},
        [this] { PipelineEnded(); });
    if (stages.encodesVideo()) pictureTakers_.push_back(pipeline.get());
    if (stages.encodesAudio()) soundTakers_.push_back(pipeline.get());
    pipelines_.push_back(std::move(pipeline));
    stages_.push_back(std::move(own));
  }
  if (pipelines_.empty()) return false;
  SetWholeSecondRange(*graph_, plans_.front().filter);
  running_ = static_cast<int>(pipelines_.size());
  for (auto& p : pipelines_) p->Start();
  DecodeGraph::SharedDelivery pictures = [this](double t, VariantPipeline::Buffer picture) {
    for (VariantPipeline* p : pictureTakers_) p->PushPicture(t, picture);
  };
  auto sound = [this](double t, const std::uint8_t* d, std::size_t n) { DeliverSound(t, d, n); };
  if (!graph_->Run(std::move(pictures), sound, [this] { DecodeEnded(); })) {
    for (std::size_t i = 0; i < pipelines_.size(); ++i) job_.notifier.ShowApp("Could not RUN the graph 3");
    return false;
  }
  return true;
}

void GroupDecode::DeliverSound(double time, const std::uint8_t* data, std::size_t bytes) {
  if (soundTakers_.empty()) return;
  // One copy for every pipeline: the decode reuses its buffer once this returns.
  auto buffer = std::make_shared<const std::vector<std::uint8_t>>(data, data + bytes);
  for (VariantPipeline* p : soundTakers_) p->PushSound(time, buffer);
}

void GroupDecode::DecodeEnded() {
  const double end = graph_->TimelineEnd();
  for (auto& p : pipelines_) p->PushEnd(end);
}

void GroupDecode::PipelineEnded() {
  if (--running_ != 0) return;
  CopySharedSound();
  completed_();
}

int GroupDecode::SoundLeader(std::size_t index) const {
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
void GroupDecode::CopySharedSound() {
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
    if (!copied) job_.notifier.Show({"Output audio file write error 01", "Error", Presentation::SystemBox});
    follower.variant.With([&, samples = samples, position = position](VariantState& v) {
      v.audioSampleCount = samples;
      v.audioInProgress = position;
    });
  }
}

void GroupDecode::Cancel() {
  for (auto& p : pipelines_) p->Cancel();
}

void GroupDecode::Close() {
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

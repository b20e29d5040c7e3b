#include "encode/pipeline/file_decode.h"

#include <cmath>

namespace zq48 {

// The steps of a single variant's start, variant by variant in list order,
// around one decode: each variant's messages come in the order a decode of
// its own would show them.
bool FileDecode::Start(std::function<void()> completed) {
  completed_ = std::move(completed);
  bool video = false, audio = false;
  for (const VariantJob* v : variants_) {
    video = video || v->plan.encodeVideo();
    audio = audio || v->plan.encodeAudio();
  }
  graph_ = std::make_unique<DecodeGraph>();
  const DecodeGraph::OpenStatus status = graph_->Open(variants_.front()->plan.sourcePath, video, audio);
  for (VariantJob* v : variants_) StartVariant(*v, status);
  if (pipelines_.empty()) return false;
  SetWholeSecondRange(*graph_, variants_.front()->plan.filter);
  running_ = static_cast<int>(pipelines_.size());
  for (auto& p : pipelines_) p->Start();
  DecodeGraph::SharedDelivery pictures = [this](double t, SharedBuffer picture) {
    for (VariantPipeline* p : pictureTakers_) p->PushPicture(t, picture);
  };
  auto sound = [this](double t, const std::uint8_t* d, std::size_t n) { DeliverSound(t, d, n); };
  if (!graph_->Run(std::move(pictures), sound, [this] { DecodeEnded(); })) {
    for (auto& stages : stages_) stages->variant().notifier().ShowApp("Could not RUN the graph 3");
    return false;
  }
  return true;
}

bool FileDecode::StartVariant(VariantJob& variant, DecodeGraph::OpenStatus status) {
  const VariantPlan& plan = variant.plan;
  auto own = std::make_unique<VariantStages>(variant);
  VariantStages& stages = *own;
  // The open's message for this variant, as its own decode would give it.
  if (!stages.CreateStreamFiles() || !DecodeOpened(variant.notifier(), status)) return false;
  if (plan.encodeAudio() && !stages.ConnectSound(graph_->channels(), graph_->sampleRate())) return false;
  // An earlier variant's encode with the same settings writes this one's sound too.
  SoundEncode* shared = nullptr;
  for (SoundEncode& e : soundEncodes_)
    if (SharesSoundEncode(*e.plan, plan)) shared = &e;
  std::vector<VariantJob*> sound;
  if (!shared) sound.push_back(&variant);
  if (!stages.Open(DecodedVideo{graph_->width(), graph_->height(), plan.frameRate}, std::move(sound))) return false;
  if (shared) shared->stages->ShareSound(variant);
  if (stages.encodesAudio()) soundEncodes_.push_back({&plan, &stages});

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
  return true;
}

// A decoded sound frame is a few milliseconds long: the frames are gathered
// into pieces of about a tenth of a second, so that each pipeline takes one
// queue item for many frames. The encoder stages its input whatever its
// pieces, so the bytes do not change.
void FileDecode::DeliverSound(double time, const std::uint8_t* data, std::size_t bytes) {
  if (soundTakers_.empty()) return;
  if (pendingSound_.empty()) pendingSoundTime_ = time;
  pendingSound_.insert(pendingSound_.end(), data, data + bytes);
  if (pendingSound_.size() >= kSoundPieceBytes) PushPendingSound();
}

void FileDecode::PushPendingSound() {
  if (pendingSound_.empty()) return;
  // One buffer for every pipeline.
  auto buffer = std::make_shared<const std::vector<std::uint8_t>>(std::move(pendingSound_));
  pendingSound_ = {};
  pendingSound_.reserve(kSoundPieceBytes + 16384);
  for (VariantPipeline* p : soundTakers_) p->PushSound(pendingSoundTime_, buffer);
}

void FileDecode::DecodeEnded() {
  // Every branch has ended: the sound thread no longer adds to the piece.
  PushPendingSound();
  const double end = graph_->TimelineEnd();
  for (auto& p : pipelines_) p->PushEnd(end);
}

void FileDecode::PipelineEnded() {
  if (--running_ == 0) completed_();
}

void FileDecode::Cancel() {
  for (auto& p : pipelines_) p->Cancel();
}

void FileDecode::Close() {
  if (graph_) graph_->Stop();
  for (auto& p : pipelines_) {
    p->Cancel();
    p->Join();
  }
  for (auto& s : stages_) s->Close();  // what a stopped variant still held; its files are deleted after
  pipelines_.clear();
  stages_.clear();
  soundEncodes_.clear();
  graph_.reset();
}

void SetWholeSecondRange(DecodeGraph& graph, const OutputFilter& filter) {
  if (filter.beginTime == 0 && filter.endTime == 0) return;
  graph.SetRange(static_cast<std::int64_t>(std::trunc(filter.beginTime)) * 10'000'000,
                 static_cast<std::int64_t>(std::trunc(filter.endTime)) * 10'000'000);
}

}  // namespace zq48

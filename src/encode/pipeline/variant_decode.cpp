#include "encode/pipeline/variant_decode.h"

namespace zq48 {

bool VariantDecode::Start(std::function<void()> completed) {
  stages_ = std::make_unique<VariantStages>(job_);
  if (!stages_->CreateStreamFiles(plan_) || !OpenGraph() || !stages_->Open(plan_)) return false;
  SetWholeSecondRange(*graph_, plan_.filter);
  VariantStages* stages = stages_.get();
  DecodeGraph::SharedDelivery pictures;
  DecodeGraph::Delivery sound;
  if (stages->encodesVideo())
    pictures = [stages](double t, SharedBuffer picture) { stages->Picture(t, std::move(picture)); };
  if (stages->encodesAudio())
    sound = [stages](double t, const std::uint8_t* data, std::size_t bytes) { stages->Sound(t, data, bytes); };
  // Runs once every branch has ended, after the last delivery.
  auto ended = [stages, graph = graph_.get(), completed = std::move(completed)] {
    stages->Finish(graph->TimelineEnd());
    completed();
  };
  if (!graph_->Run(std::move(pictures), std::move(sound), std::move(ended))) {
    job_.notifier.ShowApp("Could not RUN the graph 3");
    return false;
  }
  return true;
}

bool VariantDecode::OpenGraph() {
  graph_ = std::make_unique<DecodeGraph>();
  if (!DecodeOpened(job_, graph_->Open(plan_.sourcePath, plan_.encodeVideo(), plan_.encodeAudio()))) return false;
  if (plan_.encodeVideo()) PublishDecodedSize(job_.state, *graph_);
  if (plan_.encodeAudio()) return stages_->ConnectSound(plan_, graph_->channels(), graph_->sampleRate());
  return true;
}

void VariantDecode::Close() {
  if (!graph_) return;
  graph_->Stop();
  if (stages_) stages_->Close();
  graph_.reset();
}

}  // namespace zq48

#include "encode/pipeline/general_decode_worker.h"

#include <cmath>

#include "encode/job_messages.h"

namespace zq48 {

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
  job_ = &JobContext::From(wparam);
  // A start that fails still ends the variant, so the job never waits for ever.
  if (!Build(ReadVariantPlan(*job_))) {
    if (graph_) graph_->Stop();
    ReportCompletion();
  }
}

bool GeneralDecodeWorker::Build(const VariantPlan& plan) {
  stages_ = std::make_unique<VariantStages>(*job_);
  if (!stages_->CreateStreamFiles(plan) || !OpenGraph(plan) || !stages_->Open(plan)) return false;
  const OutputFilter& f = plan.filter;
  if (f.beginTime != 0 || f.endTime != 0) {
    // The range is cut to whole seconds.
    graph_->SetRange(static_cast<std::int64_t>(std::trunc(f.beginTime)) * 10'000'000,
                     static_cast<std::int64_t>(std::trunc(f.endTime)) * 10'000'000);
  }
  VariantStages* stages = stages_.get();
  DecodeGraph::Delivery pictures, sound;
  if (stages->encodesVideo())
    pictures = [stages](double t, const std::uint8_t* data, std::size_t bytes) { stages->Picture(t, data, bytes); };
  if (stages->encodesAudio())
    sound = [stages](double t, const std::uint8_t* data, std::size_t bytes) { stages->Sound(t, data, bytes); };
  if (!graph_->Run(std::move(pictures), std::move(sound), [this] { ReportCompletion(); }))
    return Fail("Could not RUN the graph 3");
  return true;
}

bool GeneralDecodeWorker::OpenGraph(const VariantPlan& plan) {
  graph_ = std::make_unique<DecodeGraph>();
  if (!DecodeOpened(*job_, graph_->Open(plan.sourcePath, plan.encodeVideo(), plan.encodeAudio()))) return false;
  if (plan.encodeVideo()) {
    job_->state.variant.With([this](VariantState& v) {
      v.decodedWidth = graph_->width();
      v.decodedHeight = graph_->height();
    });
  }
  if (plan.encodeAudio()) return stages_->ConnectSound(plan, graph_->channels(), graph_->sampleRate());
  return true;
}

void GeneralDecodeWorker::OnStop(WParam) {
  if (graph_) graph_->Stop();
  PostQuit();
}

void GeneralDecodeWorker::OnPause(WParam) {
  if (graph_) graph_->Pause();
}

void GeneralDecodeWorker::OnResume(WParam) {
  if (graph_) graph_->Resume();
}

void GeneralDecodeWorker::ExitInstance() {
  if (!graph_) return;
  graph_->Stop();
  if (stages_) stages_->Close();
  graph_.reset();
}

}  // namespace zq48

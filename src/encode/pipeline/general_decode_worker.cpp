#include "encode/pipeline/general_decode_worker.h"

#include <cmath>

#include "encode/job_messages.h"

namespace zq48 {

GeneralDecodeWorker::GeneralDecodeWorker(JobContext& job, std::unique_ptr<GeneralDecode> decode)
    : job_(job),
      decode_(std::move(decode)),
      thread_({{WM_DS_START, [this] { OnStart(); }},
               {WM_DS_STOP,
                [this] {
                  StopDecode();
                  thread_.PostQuit();
                }},
               {WM_DS_PAUSE,
                [this] {
                  if (DecodeGraph* graph = decode_->Graph()) graph->Pause();
                }},
               {WM_DS_RESUME,
                [this] {
                  if (DecodeGraph* graph = decode_->Graph()) graph->Resume();
                }}},
              [this] { decode_->Close(); }) {
  thread_.Start();
}

void GeneralDecodeWorker::OnStart() {
  // A start that fails still ends the variant, so the job never waits for ever.
  if (!decode_->Start([this] { ReportCompletion(); })) {
    StopDecode();
    ReportCompletion();
  }
}

void GeneralDecodeWorker::StopDecode() {
  if (DecodeGraph* graph = decode_->Graph()) graph->Stop();
  decode_->Cancel();
}

void GeneralDecodeWorker::ReportCompletion() {
  QueueGraphEvent(kGraphEventComplete);
  job_.graphEvents.OnGraphEvent();
}

void SetWholeSecondRange(DecodeGraph& graph, const OutputFilter& filter) {
  if (filter.beginTime == 0 && filter.endTime == 0) return;
  graph.SetRange(static_cast<std::int64_t>(std::trunc(filter.beginTime)) * 10'000'000,
                 static_cast<std::int64_t>(std::trunc(filter.endTime)) * 10'000'000);
}

void PublishDecodedSize(JobState& state, const DecodeGraph& graph) {
  state.variant.With([&graph](VariantState& v) {
    v.decodedWidth = graph.width();
    v.decodedHeight = graph.height();
  });
}

}  // namespace zq48

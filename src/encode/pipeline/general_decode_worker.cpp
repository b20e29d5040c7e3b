#include "encode/pipeline/general_decode_worker.h"

#include "encode/job_messages.h"

namespace zq48 {

GeneralDecodeWorker::GeneralDecodeWorker(JobContext& job, std::vector<VariantJob*> variants)
    : job_(job),
      decode_(std::move(variants)),
      thread_({{WM_DS_START, [this] { OnStart(); }},
               {WM_DS_STOP,
                [this] {
                  StopDecode();
                  thread_.PostQuit();
                }},
               {WM_DS_PAUSE,
                [this] {
                  if (DecodeGraph* graph = decode_.Graph()) graph->Pause();
                }},
               {WM_DS_RESUME,
                [this] {
                  if (DecodeGraph* graph = decode_.Graph()) graph->Resume();
                }}},
              [this] { decode_.Close(); }) {
  thread_.Start();
}

void GeneralDecodeWorker::OnStart() {
  // A start that fails still ends the variants, so the job never waits for ever.
  if (!decode_.Start([this] { ReportCompletion(); })) {
    StopDecode();
    ReportCompletion();
  }
}

void GeneralDecodeWorker::StopDecode() {
  if (DecodeGraph* graph = decode_.Graph()) graph->Stop();
  decode_.Cancel();
}

void GeneralDecodeWorker::ReportCompletion() {
  QueueGraphEvent(kGraphEventComplete);
  job_.graphEvents.OnGraphEvent();
}

}  // namespace zq48

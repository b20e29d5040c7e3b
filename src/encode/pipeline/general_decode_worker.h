#pragma once

#include <memory>
#include <string>

#include "encode/pipeline/decode_workers.h"
#include "encode/job_context.h"
#include "sources/decode_graph.h"
#include "encode/pipeline/variant_stages.h"

namespace zq48 {

// The decode worker of the general path for one variant: on its start
// message it creates the variant's stream files, opens the input with its
// decoded branches, sets up the video and audio stages and runs the decode;
// pictures and sound then flow on the decode's own threads. When every
// branch has ended it queues the completion event for the job. A start that
// fails reports its message and still queues the completion event, so the
// job goes on with the next variant.
class GeneralDecodeWorker : public GeneralWorker {
 public:
  GeneralDecodeWorker();
  ~GeneralDecodeWorker() override;

 private:
  void OnStart(WParam wparam);
  void OnStop(WParam);
  void OnPause(WParam);
  void OnResume(WParam);
  void ExitInstance() override;

  bool Build(const VariantPlan& plan);
  bool OpenGraph(const VariantPlan& plan);
  void ReportCompletion();
  bool Fail(const std::string& text, Presentation presentation = Presentation::AppBox,
            const char* caption = kAppCaption);

  JobContext* job_ = nullptr;
  std::unique_ptr<DecodeGraph> graph_;
  std::unique_ptr<VariantStages> stages_;
};

}  // namespace zq48

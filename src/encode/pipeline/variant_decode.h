#pragma once

#include <functional>
#include <memory>

#include "encode/job_context.h"
#include "encode/pipeline/general_decode_worker.h"
#include "encode/pipeline/variant_stages.h"
#include "sources/decode_graph.h"

namespace zq48 {

// The decode of one variant of the general path: its start creates the
// variant's stream files, opens the input with its decoded branches, sets up
// the video and audio stages and runs the decode; pictures and sound then
// flow on the decode's own threads, and when every branch has ended the
// completion runs.
class VariantDecode final : public GeneralDecode {
 public:
  VariantDecode(JobContext& job, VariantPlan plan) : job_(job), plan_(std::move(plan)) {}

  bool Start(std::function<void()> completed) override;
  DecodeGraph* Graph() override { return graph_.get(); }
  void Close() override;

 private:
  bool OpenGraph();

  JobContext& job_;
  const VariantPlan plan_;
  std::unique_ptr<DecodeGraph> graph_;
  std::unique_ptr<VariantStages> stages_;
};

}  // namespace zq48

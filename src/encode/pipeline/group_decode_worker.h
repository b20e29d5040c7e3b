#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "encode/job_context.h"
#include "encode/pipeline/general_decode_worker.h"
#include "encode/pipeline/variant_pipeline.h"
#include "encode/pipeline/variant_stages.h"
#include "sources/decode_graph.h"

namespace zq48 {

// The decode of the general path for a group of variants of one file that
// share a time range: the file is decoded once, and every picture and sound
// buffer goes to each variant's pipeline, whose stages write that variant's
// stream files (each variant has a job state of its own). Each variant sees
// what a decode of its own would have given it, so its bytes are those of
// the one-variant-at-a-time order. The completion runs when the decode has
// ended and every pipeline has closed its stages. Variants whose sound
// settings are the same encode their sound once: the others copy the encoded
// bytes, which are what their own encode would have written.
class GroupDecode final : public GeneralDecode {
 public:
  // `job`: the job's own context; `variants`: the group's, whose plans are read now.
  GroupDecode(JobContext& job, std::vector<JobContext*> variants);

  bool Start(std::function<void()> completed) override;
  DecodeGraph* Graph() override { return graph_.get(); }
  void Cancel() override;
  void Close() override;

 private:
  void DeliverSound(double time, const std::uint8_t* data, std::size_t bytes);
  void DecodeEnded();
  void PipelineEnded();
  // The earlier variant whose sound encode this one takes over, or -1.
  int SoundLeader(std::size_t index) const;
  void CopySharedSound();

  JobContext& job_;
  std::vector<JobContext*> variants_;
  std::vector<VariantPlan> plans_;
  std::vector<int> soundLeaders_;  // per variant: whose encoded sound it copies, or -1
  std::function<void()> completed_;
  std::unique_ptr<DecodeGraph> graph_;
  std::vector<std::unique_ptr<VariantStages>> stages_;  // of the variants that run, with their pipelines
  std::vector<std::unique_ptr<VariantPipeline>> pipelines_;
  std::vector<VariantPipeline*> pictureTakers_;
  std::vector<VariantPipeline*> soundTakers_;
  std::atomic<int> running_{0};
};

}  // namespace zq48

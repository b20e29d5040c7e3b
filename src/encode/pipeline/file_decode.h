#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "encode/pipeline/variant_pipeline.h"
#include "encode/pipeline/variant_stages.h"
#include "encode/variant_job.h"
#include "sources/decode_graph.h"

namespace zq48 {

// The general path's decode of one file for a group of its variants that
// share a time range (a group of one included): the file is decoded once,
// and every picture and sound buffer goes to each variant's pipeline, whose
// stages write that variant's stream files. Each variant sees what a decode
// of its own would have given it, so its bytes are those of the
// one-variant-at-a-time order. Variants whose sound settings are equal share
// one sound encode, which writes each one's audio stream file. The
// completion runs when the decode has ended and every pipeline has closed
// its stages.
class FileDecode {
 public:
  explicit FileDecode(std::vector<VariantJob*> variants) : variants_(std::move(variants)) {}
  FileDecode(const FileDecode&) = delete;
  FileDecode& operator=(const FileDecode&) = delete;
  ~FileDecode() { Close(); }

  // Sets up the variants' stages and runs the decode; `completed` runs (on a
  // thread of the decode) once the decode and every stage have ended. False,
  // after the failure's messages, when nothing could run.
  bool Start(std::function<void()> completed);
  // The decode's graph once it exists, to pause, resume and stop it.
  DecodeGraph* Graph() { return graph_.get(); }
  // After its graph has stopped: what is still queued is dropped.
  void Cancel();
  // The decode stops and the stages close.
  void Close();

 private:
  // Sets up one variant's stages; false after its message.
  bool StartVariant(VariantJob& variant, DecodeGraph::OpenStatus status);
  void DeliverSound(double time, const std::uint8_t* data, std::size_t bytes);
  void PushPendingSound();
  void DecodeEnded();
  void PipelineEnded();

  // A started sound encode and the variant it was opened for.
  struct SoundEncode {
    const VariantPlan* plan;
    VariantStages* stages;
  };

  std::vector<VariantJob*> variants_;
  std::function<void()> completed_;
  std::unique_ptr<DecodeGraph> graph_;
  std::vector<SoundEncode> soundEncodes_;
  std::vector<std::unique_ptr<VariantStages>> stages_;  // of the variants that run, with their pipelines
  std::vector<std::unique_ptr<VariantPipeline>> pipelines_;
  std::vector<VariantPipeline*> pictureTakers_;
  std::vector<VariantPipeline*> soundTakers_;
  // Decoded sound not yet handed on, and its time (the sound thread's).
  static constexpr std::size_t kSoundPieceBytes = 16384;
  std::vector<std::uint8_t> pendingSound_;
  double pendingSoundTime_ = 0.0;
  std::atomic<int> running_{0};
};

// Sets the variant's range, cut to whole seconds, on `graph`; a variant
// without a range leaves the whole file.
void SetWholeSecondRange(DecodeGraph& graph, const OutputFilter& filter);

}  // namespace zq48

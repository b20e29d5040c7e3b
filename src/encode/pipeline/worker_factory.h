#pragma once

#include "encode/pipeline/decode_workers.h"

namespace zq48 {

// The real decode workers, over FFmpeg.
class DecodeWorkerFactory : public WorkerFactory {
 public:
  std::unique_ptr<GeneralWorker> CreateGeneralWorker(JobContext& job, std::vector<VariantJob*> variants) override;
  std::unique_ptr<DecodeWorker> CreateMovieVideoWorker(JobContext& job, MessageThread& driver,
                                                       std::vector<VariantJob*> variants) override;
  std::unique_ptr<DecodeWorker> CreateMovieAudioWorker(JobContext& job, MessageThread& driver,
                                                       std::vector<VariantJob*> variants) override;
};

}  // namespace zq48

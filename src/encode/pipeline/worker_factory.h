#pragma once

#include "encode/pipeline/decode_workers.h"

namespace zq48 {

// The real decode workers, over FFmpeg.
class DecodeWorkerFactory : public WorkerFactory {
 public:
  std::unique_ptr<GeneralWorker> CreateGeneralWorker(JobContext& job) override;
  std::unique_ptr<DecodeWorker> CreateMovieVideoWorker(JobContext& job, MessageThread& driver) override;
  std::unique_ptr<DecodeWorker> CreateMovieAudioWorker(JobContext& job, MessageThread& driver) override;
  std::unique_ptr<GeneralWorker> CreateGroupWorker(JobContext& job, std::vector<JobContext*> variants) override;
  std::unique_ptr<DecodeWorker> CreateMovieVideoGroupWorker(JobContext& job, MessageThread& driver,
                                                            std::vector<JobContext*> variants) override;
  std::unique_ptr<DecodeWorker> CreateMovieAudioGroupWorker(JobContext& job, MessageThread& driver,
                                                            std::vector<JobContext*> variants) override;
};

}  // namespace zq48

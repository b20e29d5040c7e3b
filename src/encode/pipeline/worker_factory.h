#pragma once

#include "encode/pipeline/decode_workers.h"

namespace zq48 {

// The real decode workers, over FFmpeg.
class DecodeWorkerFactory : public WorkerFactory {
 public:
  std::unique_ptr<GeneralWorker> CreateGeneralWorker() override;
  std::unique_ptr<MessageThread> CreateMovieVideoWorker(MessageThread& driver) override;
  std::unique_ptr<MessageThread> CreateMovieAudioWorker(MessageThread& driver) override;
  std::unique_ptr<GeneralWorker> CreateGroupWorker(std::vector<JobContext*> variants) override;
  std::unique_ptr<MessageThread> CreateMovieVideoGroupWorker(MessageThread& driver,
                                                             std::vector<JobContext*> variants) override;
  std::unique_ptr<MessageThread> CreateMovieAudioGroupWorker(MessageThread& driver,
                                                             std::vector<JobContext*> variants) override;
};

}  // namespace zq48

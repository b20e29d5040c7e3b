#include "encode/pipeline/worker_factory.h"

#include "encode/job_messages.h"
#include "encode/pipeline/general_decode_worker.h"
#include "encode/pipeline/group_decode_worker.h"
#include "encode/pipeline/movie_audio_worker.h"
#include "encode/pipeline/movie_video_worker.h"

namespace zq48 {

std::unique_ptr<GeneralWorker> DecodeWorkerFactory::CreateGeneralWorker() {
  auto worker = std::make_unique<GeneralDecodeWorker>();
  worker->Start();
  return worker;
}

std::unique_ptr<GeneralWorker> DecodeWorkerFactory::CreateGroupWorker(std::vector<JobContext*> variants) {
  auto worker = std::make_unique<GroupDecodeWorker>(std::move(variants));
  worker->Start();
  return worker;
}

std::unique_ptr<MessageThread> DecodeWorkerFactory::CreateMovieVideoWorker(MessageThread& driver) {
  auto worker = std::make_unique<MovieVideoWorker>(driver);
  worker->Start();
  return worker;
}

std::unique_ptr<MessageThread> DecodeWorkerFactory::CreateMovieAudioWorker(MessageThread& driver) {
  auto worker = std::make_unique<MovieAudioWorker>(driver);
  worker->Start();
  return worker;
}

std::unique_ptr<MessageThread> DecodeWorkerFactory::CreateMovieVideoGroupWorker(MessageThread& driver,
                                                                              std::vector<JobContext*> variants) {
  auto worker = std::make_unique<MovieVideoWorker>(driver, std::move(variants));
  worker->Start();
  return worker;
}

std::unique_ptr<MessageThread> DecodeWorkerFactory::CreateMovieAudioGroupWorker(MessageThread& driver,
                                                                              std::vector<JobContext*> variants) {
  auto worker = std::make_unique<MovieAudioWorker>(driver, std::move(variants));
  worker->Start();
  return worker;
}

}  // namespace zq48

#include "encode/pipeline/worker_factory.h"

#include "encode/job_messages.h"
#include "encode/pipeline/general_decode_worker.h"
#include "encode/pipeline/movie_audio_worker.h"
#include "encode/pipeline/movie_video_worker.h"
#include "encode/pipeline/movie_worker.h"

namespace zq48 {

namespace {

constexpr MovieWorker::Messages kVideoMessages{WM_QT_VIDEO_START, WM_JOB_QT_VIDEO_DONE};
constexpr MovieWorker::Messages kSoundMessages{WM_QT_AUDIO_START, WM_JOB_QT_AUDIO_DONE};

}  // namespace

std::unique_ptr<GeneralWorker> DecodeWorkerFactory::CreateGeneralWorker(JobContext& job,
                                                                        std::vector<VariantJob*> variants) {
  return std::make_unique<GeneralDecodeWorker>(job, std::move(variants));
}

std::unique_ptr<DecodeWorker> DecodeWorkerFactory::CreateMovieVideoWorker(JobContext& job, MessageThread& driver,
                                                                          std::vector<VariantJob*> variants) {
  return std::make_unique<MovieWorker>(
      kVideoMessages, driver,
      [work = MovieVideoExtraction(job.state, std::move(variants))]() mutable { work.Run(); });
}

std::unique_ptr<DecodeWorker> DecodeWorkerFactory::CreateMovieAudioWorker(JobContext& job, MessageThread& driver,
                                                                          std::vector<VariantJob*> variants) {
  return std::make_unique<MovieWorker>(
      kSoundMessages, driver,
      [work = MovieSoundExtraction(job.state, std::move(variants))]() mutable { work.Run(); });
}

}  // namespace zq48

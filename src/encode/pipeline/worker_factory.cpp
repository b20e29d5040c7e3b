#include "encode/pipeline/worker_factory.h"

#include "encode/job_messages.h"
#include "encode/pipeline/general_decode_worker.h"
#include "encode/pipeline/group_decode_worker.h"
#include "encode/pipeline/movie_audio_worker.h"
#include "encode/pipeline/movie_video_worker.h"
#include "encode/pipeline/movie_worker.h"
#include "encode/pipeline/variant_decode.h"

namespace zq48 {

namespace {

constexpr MovieWorker::Messages kVideoMessages{WM_QT_VIDEO_START, WM_JOB_QT_VIDEO_DONE};
constexpr MovieWorker::Messages kSoundMessages{WM_QT_AUDIO_START, WM_JOB_QT_AUDIO_DONE};

std::unique_ptr<DecodeWorker> MovieVideo(JobContext& job, MessageThread& driver, std::vector<JobContext*> variants) {
  return std::make_unique<MovieWorker>(
      kVideoMessages, driver, [work = MovieVideoExtraction(job, std::move(variants))]() mutable { work.Run(); });
}

std::unique_ptr<DecodeWorker> MovieSound(JobContext& job, MessageThread& driver, std::vector<JobContext*> variants) {
  return std::make_unique<MovieWorker>(
      kSoundMessages, driver, [work = MovieSoundExtraction(job, std::move(variants))]() mutable { work.Run(); });
}

}  // namespace

std::unique_ptr<GeneralWorker> DecodeWorkerFactory::CreateGeneralWorker(JobContext& job) {
  return std::make_unique<GeneralDecodeWorker>(job, std::make_unique<VariantDecode>(job, ReadVariantPlan(job)));
}

std::unique_ptr<GeneralWorker> DecodeWorkerFactory::CreateGroupWorker(JobContext& job,
                                                                      std::vector<JobContext*> variants) {
  return std::make_unique<GeneralDecodeWorker>(job, std::make_unique<GroupDecode>(job, std::move(variants)));
}

std::unique_ptr<DecodeWorker> DecodeWorkerFactory::CreateMovieVideoWorker(JobContext& job, MessageThread& driver) {
  return MovieVideo(job, driver, {});
}

std::unique_ptr<DecodeWorker> DecodeWorkerFactory::CreateMovieAudioWorker(JobContext& job, MessageThread& driver) {
  return MovieSound(job, driver, {});
}

std::unique_ptr<DecodeWorker> DecodeWorkerFactory::CreateMovieVideoGroupWorker(JobContext& job, MessageThread& driver,
                                                                             std::vector<JobContext*> variants) {
  return MovieVideo(job, driver, std::move(variants));
}

std::unique_ptr<DecodeWorker> DecodeWorkerFactory::CreateMovieAudioGroupWorker(JobContext& job, MessageThread& driver,
                                                                             std::vector<JobContext*> variants) {
  return MovieSound(job, driver, std::move(variants));
}

}  // namespace zq48

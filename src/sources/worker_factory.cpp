#include "sources/worker_factory.h"

#include "encode/job_messages.h"
#include "sources/general_decode_worker.h"

namespace zq48 {

namespace {

// Stands in for a movie-file extraction that this build cannot do: it
// reports itself done at once, so the job moves on.
class UnavailableMovieWorker : public MessageThread {
 public:
  UnavailableMovieWorker(MessageThread& driver, MessageId start, MessageId done) {
    On(start, [&driver, done, this](WParam) {
      driver.Post(done);
      PostQuit();
    });
  }
};

}  // namespace

std::unique_ptr<GeneralWorker> DecodeWorkerFactory::CreateGeneralWorker() {
  auto worker = std::make_unique<GeneralDecodeWorker>();
  worker->Start();
  return worker;
}

std::unique_ptr<MessageThread> DecodeWorkerFactory::CreateMovieVideoWorker(MessageThread& driver) {
  auto worker = std::make_unique<UnavailableMovieWorker>(driver, WM_QT_VIDEO_START, WM_JOB_QT_VIDEO_DONE);
  worker->Start();
  return worker;
}

std::unique_ptr<MessageThread> DecodeWorkerFactory::CreateMovieAudioWorker(MessageThread& driver) {
  auto worker = std::make_unique<UnavailableMovieWorker>(driver, WM_QT_AUDIO_START, WM_JOB_QT_AUDIO_DONE);
  worker->Start();
  return worker;
}

}  // namespace zq48

#include "ui/add_files_worker.h"

#include "catalog/input_catalog.h"
#include "sources/probe.h"
#include "sources/ffmpeg_general_media.h"
#include "sources/ffmpeg_movie_media.h"

namespace zq48 {

AddFilesWorker::AddFilesWorker(Notifier& notifier, bool movieFiles, QObject* parent)
    : QObject(parent), notifier_(notifier), movieFiles_(movieFiles), thread_([this] { Run(); }) {}

AddFilesWorker::~AddFilesWorker() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    queue_.clear();
  }
  wake_.notify_one();
  thread_.join();
  // Results still in the GUI thread's queue die with this object.
}

void AddFilesWorker::Enqueue(std::string path) {
  ++pending_;
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(path));
  }
  wake_.notify_one();
}

void AddFilesWorker::Run() {
  FfmpegGeneralMedia general;
  FfmpegMovieMedia movie;
  const MediaServices services{&general, movieFiles_ ? &movie : nullptr};
  for (;;) {
    std::string path;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
      if (quit_) return;
      path = std::move(queue_.front());
      queue_.pop_front();
    }
    InputCatalog scratch;
    MediaProbe probe(scratch, notifier_, services);
    ProbedFile result{path, probe.Probe(path), {}};
    if (result.accepted) result.facts = scratch.Facts(path);
    // Queued to this object: runs on the GUI thread, or never if it is gone.
    QMetaObject::invokeMethod(
        this, [this, result = std::move(result)]() mutable { Deliver(std::move(result)); },
        Qt::QueuedConnection);
  }
}

void AddFilesWorker::Deliver(ProbedFile file) {
  --pending_;
  emit probed(file);
  if (pending_ == 0) emit idle();
}

}  // namespace zq48

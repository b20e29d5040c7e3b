#include "ui/add_files_worker.h"

#include "encode/engine.h"

namespace zq48 {

AddFilesWorker::AddFilesWorker(const Engine& engine, Notifier& notifier, QObject* parent)
    : QObject(parent), engine_(engine), notifier_(notifier), thread_([this] { Run(); }) {}

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
  for (;;) {
    std::string path;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
      if (quit_) return;
      path = std::move(queue_.front());
      queue_.pop_front();
    }
    std::optional<MediaFacts> facts = engine_.Probe(path, notifier_);
    ProbedFile result{path, facts.has_value(), facts.value_or(MediaFacts{})};
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

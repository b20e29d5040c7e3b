#pragma once

#include <QObject>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "catalog/media_facts.h"

namespace zq48 {

class Engine;
class Notifier;

// What probing one file found.
struct ProbedFile {
  std::string path;
  bool accepted = false;
  MediaFacts facts;
};

// Probes the files the list is adding on a thread of its own, so that the
// window keeps drawing (and the wait dialog keeps moving) while FFmpeg reads.
// The application's catalog belongs to the GUI thread: the engine probes
// each file without it, and the facts travel back to the GUI thread in
// `probed`, in the order the files were queued. The probe's complaints go to
// the notifier from the worker thread.
class AddFilesWorker : public QObject {
  Q_OBJECT

 public:
  AddFilesWorker(const Engine& engine, Notifier& notifier, QObject* parent = nullptr);
  // Finishes the file in hand, drops the rest and waits for the thread.
  ~AddFilesWorker() override;

  void Enqueue(std::string path);
  // Files queued whose result has not been delivered yet (GUI thread).
  int Pending() const { return pending_; }

 signals:
  // Emitted on the GUI thread, once per queued file.
  void probed(const zq48::ProbedFile& file);
  // The last pending file was delivered.
  void idle();

 private:
  void Run();
  void Deliver(ProbedFile file);

  const Engine& engine_;
  Notifier& notifier_;
  int pending_ = 0;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::string> queue_;
  bool quit_ = false;
  std::thread thread_;  // last: starts once everything it reads exists
};

}  // namespace zq48

#pragma once

#include <QObject>
#include <deque>

#include "core/notifier.h"

namespace zq48 {

// Shows the engine's messages and questions as message boxes on the GUI
// thread, whichever thread they come from. Create it on the GUI thread.
//
// A message from another thread is queued and the caller goes on at once:
// the GUI thread may at that moment be waiting for that very thread to end
// (closing the program while a job runs), and a blocking call would never
// return. Messages are shown one at a time in the order they came; one that
// comes while a box is open waits for it to close, rather than piling up on
// top of it. A question must wait for its answer, so it blocks; the engine
// only asks on the GUI thread, where the box is shown directly.
class QtNotifier : public Notifier {
 public:
  QtNotifier() = default;
  QtNotifier(const QtNotifier&) = delete;
  QtNotifier& operator=(const QtNotifier&) = delete;

  void Show(const Message& message) override;
  bool Ask(const std::string& text, const std::string& caption) override;

 private:
  bool OnGuiThread() const;
  // GUI thread only.
  void Enqueue(const Message& message);

  QObject guiThread_;  // queued calls run on the thread that owns it
  std::deque<Message> waiting_;
  bool showing_ = false;
};

}  // namespace zq48

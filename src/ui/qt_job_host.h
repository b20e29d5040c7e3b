#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "encode/job_host.h"

namespace zq48 {

// The desktop program's side of an encode job. Whatever thread the job calls
// from, each call becomes a signal emitted later by the GUI thread's event
// loop, never inside the call: the job's threads must not wait for the GUI,
// and the GUI's own calls into the controller must not re-enter it.
class QtJobHost : public QObject, public JobHost {
  Q_OBJECT

 public:
  explicit QtJobHost(QObject* parent = nullptr) : QObject(parent) {}

  void ResetFileBar() override;
  void ResetJobBar() override;
  void CurrentFile(int index) override;
  void JobFinished() override;
  void SetTitle(const std::string& title) override;
  void StopPreview() override;
  void RangeSwapped(std::uint32_t begin, std::uint32_t end) override;

 signals:
  void resetFileBar();
  void resetJobBar();
  void currentFile(int index);
  void jobFinished();
  void titleChanged(const QString& title);
  void stopPreview();
  void rangeSwapped(quint32 begin, quint32 end);

 private:
  template <class F>
  void Queue(F emitter) {
    QMetaObject::invokeMethod(this, std::move(emitter), Qt::QueuedConnection);
  }
};

}  // namespace zq48

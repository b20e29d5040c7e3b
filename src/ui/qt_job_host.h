#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

#include "encode/job_events.h"

namespace zq48 {

// The desktop program's side of an encode job. Whatever thread the job calls
// from, each event becomes a signal emitted later by the GUI thread's event
// loop, never inside the call: the job's threads must not wait for the GUI,
// and the GUI's own calls into the controller must not re-enter it.
class QtJobHost : public QObject, public JobEvents {
  Q_OBJECT

 public:
  explicit QtJobHost(QObject* parent = nullptr) : QObject(parent) {}

  void JobStarted() override;
  void FileStarted(int index, const std::string& path) override;
  // The desktop shows nothing of a single variant's result.
  void VariantFinished(const VariantResult&) override {}
  void FileFinished(int index, const std::string& path) override;
  void JobStopped() override;
  // The job's end, with a copy of its summary for the results view.
  void JobFinished(const JobSummary& summary) override;
  void RangeSwapped(std::uint32_t begin, std::uint32_t end) override;

 signals:
  void jobStarted();
  void fileStarted(int index, const QString& path);
  void fileFinished(int index, const QString& path);
  void jobStopped();
  void jobFinished(const zq48::JobSummary& summary);
  void rangeSwapped(quint32 begin, quint32 end);

 private:
  template <class F>
  void Queue(F emitter) {
    QMetaObject::invokeMethod(this, std::move(emitter), Qt::QueuedConnection);
  }
};

}  // namespace zq48

// A signal's argument, so that a spy or a queued connection can hold it.
Q_DECLARE_METATYPE(zq48::JobSummary)

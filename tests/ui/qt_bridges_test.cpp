// How the engine's threads reach the GUI: the notifier's message boxes and
// the job events' signals, told from a job thread and from the GUI thread.

#include <QSignalSpy>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <thread>

#include "ui/qt_notifier.h"
#include "modal_answerer.h"
#include "ui/qt_job_host.h"

using namespace zq48;
using namespace zq48::testing;

class QtBridgeTest : public QObject {
  Q_OBJECT

 private slots:
  // A job thread goes on at once; the boxes come up on the GUI thread with
  // the caption their presentation asks for.
  void messagesFromAJobThreadAreShownOnTheGuiThread() {
    QtNotifier notifier;
    ModalAnswerer answerer("OK");
    std::thread job([&] {
      notifier.ShowApp("Error create file video out");
      notifier.Show({"Can't create output file", "Error", Presentation::PlainBox});
      notifier.Show({"LAME encoder failed", "Error", Presentation::SystemBox});
      // An application box keeps a caption of its own; an empty one stays empty.
      notifier.Show({"Error reading file size", "ZQ48", Presentation::AppBox});
      notifier.Show({"Can't find other splitter pin in graph", "", Presentation::SystemBox});
    });
    job.join();
    QVERIFY(QTest::qWaitFor([&] { return answerer.seen().size() == 5; }, 10000));
    QCOMPARE(answerer.seen()[0].title, QString("ZQ48 Encoder"));
    QCOMPARE(answerer.seen()[0].text, QString("Error create file video out"));
    QCOMPARE(answerer.seen()[1].title, QString("Error"));
    QCOMPARE(answerer.seen()[1].text, QString("Can't create output file"));
    QCOMPARE(answerer.seen()[2].title, QString("Error"));
    QCOMPARE(answerer.seen()[3].title, QString("ZQ48"));
    QCOMPARE(answerer.seen()[4].title, QString(""));
  }

  void aQuestionFromAJobThreadWaitsForItsAnswer() {
    QtNotifier notifier;
    for (const char* press : {"No", "Yes"}) {
      ModalAnswerer answerer(press);
      std::atomic<int> answer{-1};
      std::thread asker(
          [&] { answer = notifier.Ask("Do you want to create it?", "ZQ48 Encoder"); });
      QVERIFY(QTest::qWaitFor([&] { return answer != -1; }, 10000));
      asker.join();
      QCOMPARE(answer.load(), QString(press) == "Yes" ? 1 : 0);
      QCOMPARE(answerer.seen().size(), 1);
      QCOMPARE(answerer.seen()[0].text, QString("Do you want to create it?"));
    }
  }

  // Even an event told on the GUI thread is delivered later, never inside the call.
  void jobEventsArriveLaterOnTheGuiThread() {
    QtJobHost host;
    QSignalSpy stopped(&host, &QtJobHost::jobStopped);
    QSignalSpy jobStarted(&host, &QtJobHost::jobStarted);
    QSignalSpy fileStarted(&host, &QtJobHost::fileStarted);
    QSignalSpy fileFinished(&host, &QtJobHost::fileFinished);
    QSignalSpy swapped(&host, &QtJobHost::rangeSwapped);
    QSignalSpy finished(&host, &QtJobHost::jobFinished);
    QThread* gui = QThread::currentThread();
    QThread* deliveredOn = nullptr;
    connect(&host, &QtJobHost::fileStarted, this, [&] { deliveredOn = QThread::currentThread(); });

    host.RangeSwapped(48, 900);
    host.JobStopped();
    QCOMPARE(swapped.size() + stopped.size(), 0);
    std::thread job([&] {
      host.JobStarted();
      host.FileStarted(2, "/in/c.avi");
      host.VariantFinished(VariantResult{});
      host.FileFinished(2, "/in/c.avi");
      JobSummary summary;
      summary.variants.resize(1);
      summary.variants[0].path = "/in/c.avi";
      host.JobFinished(summary);
    });
    job.join();
    QVERIFY(QTest::qWaitFor([&] { return finished.size() == 1; }, 10000));
    QCOMPARE(swapped.size(), 1);
    QCOMPARE(swapped[0][0].toUInt(), 48u);
    QCOMPARE(swapped[0][1].toUInt(), 900u);
    QCOMPARE(stopped.size(), 1);
    QCOMPARE(jobStarted.size(), 1);
    QCOMPARE(fileStarted.size(), 1);
    QCOMPARE(fileStarted[0][0].toInt(), 2);
    QCOMPARE(fileStarted[0][1].toString(), QString("/in/c.avi"));
    QCOMPARE(fileFinished.size(), 1);
    QCOMPARE(fileFinished[0][0].toInt(), 2);
    QCOMPARE(deliveredOn, gui);
    // The summary comes along, for the results view.
    const auto summary = finished[0][0].value<JobSummary>();
    QCOMPARE(summary.variants.size(), std::size_t{1});
    QCOMPARE(summary.variants[0].path, std::string("/in/c.avi"));
  }
};

int RunQtBridgeTests(int argc, char** argv) {
  QtBridgeTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "qt_bridges_test.moc"

// How the engine's threads reach the GUI: the notifier's message boxes and
// the job host's signals, called from a job thread and from the GUI thread.

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

  // Even a call on the GUI thread is delivered later, never inside the call.
  void jobHostSignalsArriveLaterOnTheGuiThread() {
    QtJobHost host;
    QSignalSpy finished(&host, &QtJobHost::jobFinished);
    QSignalSpy title(&host, &QtJobHost::titleChanged);
    QSignalSpy current(&host, &QtJobHost::currentFile);
    QThread* gui = QThread::currentThread();
    QThread* deliveredOn = nullptr;
    connect(&host, &QtJobHost::currentFile, this, [&] { deliveredOn = QThread::currentThread(); });

    host.JobFinished();
    QCOMPARE(finished.size(), 0);
    std::thread job([&] {
      host.CurrentFile(2);
      host.SetTitle("ZQ48 Encoder");
    });
    job.join();
    QVERIFY(QTest::qWaitFor([&] { return title.size() == 1; }, 10000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(current.size(), 1);
    QCOMPARE(current[0][0].toInt(), 2);
    QCOMPARE(title[0][0].toString(), QString("ZQ48 Encoder"));
    QCOMPARE(deliveredOn, gui);
  }
};

int RunQtBridgeTests(int argc, char** argv) {
  QtBridgeTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "qt_bridges_test.moc"

// The progress view as the main window drives it: button states, timers,
// the refresh and clock ticks over a real job state, the current-file lines,
// the full-screen toggle and the free-space line.

#include <QAbstractButton>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "catalog/encode_settings.h"
#include "encode/job_state.h"
#include "encode/variant_job.h"
#include "ui/encoder_view.h"
#include "ui/gradient_progress_bar.h"

using namespace zq48;

namespace {
const std::string kMovie = "/in/a <b> & c.avi";

// A view over its own job state and settings.
struct Fixture {
  explicit Fixture(const std::string& destination = {}) {
    settings.setDestinationFolder(destination);
    view = std::make_unique<EncoderView>(job, settings);
    view->resize(400, 300);
  }

  template <class T = QLabel>
  T* Child(const char* name) const {
    T* child = view->findChild<T*>(name);
    if (!child) qFatal("no child named %s", name);
    return child;
  }
  QString Line(const char* name) const { return Child(name)->text(); }
  QAbstractButton* Button(const char* name) const { return Child<QAbstractButton>(name); }
  GradientProgressBar* Bar(const char* name) const { return Child<GradientProgressBar>(name); }
  bool TimerActive(const char* name) const { return Child<QTimer>(name)->isActive(); }

  // Which of Encode, Pause and Stop are enabled, as "EPS" with '-' for off.
  QString Buttons() const {
    QString s;
    s += Button("encode")->isEnabled() ? 'E' : '-';
    s += Button("pause")->isEnabled() ? 'P' : '-';
    s += Button("stop")->isEnabled() ? 'S' : '-';
    return s;
  }

  // A timer's tick, run now instead of waiting for it.
  void Tick(const char* slot) const {
    if (!QMetaObject::invokeMethod(view.get(), slot, Qt::DirectConnection))
      qFatal("no slot %s", slot);
  }
  void Ticks(const char* slot, int count) const {
    for (int i = 0; i < count; ++i) Tick(slot);
  }

  // The planned amounts of a one-file job over kMovie.
  void Plan(double fileTotal, double jobTotal) {
    job.snapshot.Edit([&](JobSnapshot& s) {
      s.catalog.AddInputPath(kMovie);
      s.fileTotals[kMovie] = fileTotal;
      s.jobTotal = jobTotal;
    });
  }
  void Progress(const std::string& path, double fileDone, double jobDone, double video,
                double audio) {
    job.done.With([&](DoneAmounts& d) { d = {fileDone, jobDone}; });
    auto variant = std::make_shared<VariantJob>(job, notifier, VariantPlan{});
    variant->progress.With([&](VariantProgress& p) { p = {video, audio}; });
    job.running.With([&](RunningVariants& r) { r = {path, {variant}}; });
  }

  // Nothing is said while the view is only read.
  struct Silent : Notifier {
    void Show(const Message&) override {}
    bool Ask(const std::string&, const std::string&) override { return false; }
  } notifier;
  JobState job;
  EncodeSettings settings;
  std::unique_ptr<EncoderView> view;
};

QString Elapsed(const QString& timeLine) { return timeLine.section("   ", 0, 0); }
QString Estimated(const QString& timeLine) { return timeLine.section("   ", 1, 1); }
}  // namespace

class EncoderViewTest : public QObject {
  Q_OBJECT

 private slots:
  void startsDisabledAndEmpty() {
    Fixture f;
    QCOMPARE(f.Buttons(), QString("---"));
    QCOMPARE(f.Bar("fileBar")->Text(), QString("0%"));
    QCOMPARE(f.Bar("jobBar")->Text(), QString("0%"));
    for (const char* line : {"line1053", "line1054", "line1074", "line1075"})
      QVERIFY2(f.Line(line).isEmpty(), line);
    QVERIFY(f.TimerActive("diskTimer"));
    QVERIFY(!f.TimerActive("refreshTimer"));
    QVERIFY(!f.TimerActive("clockTimer"));
    QCOMPARE(f.Button("encode")->text(), QString("Encode"));
    QCOMPARE(f.Button("stop")->toolTip(), QString("Stop encode"));
  }

  // Encode, Pause, resume, Stop and the job's end, with the calls the main
  // window makes for each.
  void buttonStatesThroughAJob() {
    Fixture f;
    QSignalSpy encodes(f.view.get(), &EncoderView::encodeRequested);
    QSignalSpy pauses(f.view.get(), &EncoderView::pauseRequested);
    QSignalSpy stops(f.view.get(), &EncoderView::stopRequested);
    EncoderView& v = *f.view;

    f.Button("encode")->click();  // nothing to encode yet
    QCOMPARE(encodes.count(), 0);
    v.ListChanged(true, false);
    QCOMPARE(f.Buttons(), QString("E--"));

    f.Button("encode")->click();
    QCOMPARE(encodes.count(), 1);
    v.SetButtonsRunning();
    v.StartClock();
    v.StartRefresh();
    QCOMPARE(f.Buttons(), QString("-PS"));
    QVERIFY(f.TimerActive("clockTimer") && f.TimerActive("refreshTimer"));

    f.Button("pause")->click();
    QCOMPARE(pauses.count(), 1);
    v.SetButtonsPaused();
    v.StopRefresh();
    QCOMPARE(f.Buttons(), QString("E-S"));
    QVERIFY(f.TimerActive("clockTimer"));  // a pause still counts as elapsed time
    QVERIFY(!f.TimerActive("refreshTimer"));

    f.Button("encode")->click();  // resume
    QCOMPARE(encodes.count(), 2);
    v.SetButtonsRunning();
    v.StartRefresh();
    QCOMPARE(f.Buttons(), QString("-PS"));

    f.Button("stop")->click();
    QCOMPARE(stops.count(), 1);
    v.EnableFullScreenToggle(true);
    v.SetButtonsDisabled();
    v.StopRefresh();
    v.StopClock();
    v.ResetFileBar();
    v.ResetJobBar();
    QCOMPARE(f.Buttons(), QString("---"));
    QVERIFY(!f.TimerActive("clockTimer") && !f.TimerActive("refreshTimer"));
    // Files added while the stopped job winds down must not enable Encode.
    v.ListChanged(true, true);
    QCOMPARE(f.Buttons(), QString("---"));
    f.Button("encode")->click();
    f.Button("stop")->click();
    QCOMPARE(encodes.count(), 2);
    QCOMPARE(stops.count(), 1);

    // The job has ended with files in the list.
    v.SetButtonsIdle();
    QCOMPARE(f.Buttons(), QString("E--"));
    v.ListChanged(false, false);
    QCOMPARE(f.Buttons(), QString("---"));
  }

  void refreshTickFillsBarsAndTitle() {
    Fixture f;
    QSignalSpy titles(f.view.get(), &EncoderView::titleChanged);
    f.Plan(120.7, 300.9);
    f.Progress(kMovie, 10.6, 40.2, 5.5, 4.4);
    f.Tick("refreshTick");
    GradientProgressBar* file = f.Bar("fileBar");
    GradientProgressBar* job = f.Bar("jobBar");
    QCOMPARE(file->Upper(), 120);
    QCOMPARE(file->Position(), 20);  // 10.6 + 9.9, truncated
    QCOMPARE(job->Upper(), 300);
    QCOMPARE(job->Position(), 50);
    QCOMPARE(file->Text(), QString("16%"));
    QCOMPARE(titles.count(), 1);
    QCOMPARE(titles.last().at(0).toString(), QString("16 % - ZQ48 Encoder"));
  }

  void titlePercentNeverExceedsHundred() {
    Fixture f;
    QSignalSpy titles(f.view.get(), &EncoderView::titleChanged);
    f.Plan(100.0, 300.0);
    f.Progress(kMovie, 150.0, 400.0, 6.0, 3.9);
    f.Tick("refreshTick");
    QCOMPARE(titles.last().at(0).toString(), QString("100 % - ZQ48 Encoder"));
    // The bar itself shows what was really done.
    QCOMPARE(f.Bar("jobBar")->Position(), 409);
    QCOMPARE(f.Bar("jobBar")->Text(), QString("136%"));
  }

  void estimateUsesMinusOneForAnEmptyRange() {
    Fixture f;
    f.Plan(50.0, 100.0);
    // The variant's path is not in the snapshot: the file bar's range is 0..0.
    f.Progress("/in/elsewhere.avi", 2.0, 2.0, 0.0, 0.0);
    f.Tick("refreshTick");
    QCOMPARE(f.Bar("fileBar")->Upper(), 0);
    f.view->StartClock();
    f.Ticks("clockTick", 5);  // the fifth tick writes elapsed 4
    QCOMPARE(f.Line("line1074"),
             QString("Time elapsed: 00:00:04   Time estimated: 00:00:-2"));  // −1 × 4 / 2
    QCOMPARE(f.Line("line1075"),
             QString("Time elapsed: 00:00:04   Time estimated: 00:03:20"));  // 100 × 4 / 2
  }

  void estimateIsZeroBeforeAnyProgress() {
    Fixture f;
    f.view->StartClock();
    f.Ticks("clockTick", 3);
    QCOMPARE(f.Line("line1074"), QString("Time elapsed: 00:00:02   Time estimated: 00:00:00"));
    QCOMPARE(f.Line("line1075"), QString("Time elapsed: 00:00:02   Time estimated: 00:00:00"));
  }

  void estimateOfALongJobDoesNotOverflow() {
    Fixture f;
    f.Plan(2000000000.0, 2000000000.0);
    f.Progress(kMovie, 1.0, 1.0, 0.0, 0.0);
    f.Tick("refreshTick");
    f.view->StartClock();
    f.Ticks("clockTick", 3);  // 2,000,000,000 × 2 / 1 seconds
    QCOMPARE(Estimated(f.Line("line1075")), QString("Time estimated: 1111111:06:40"));
  }

  void elapsedSurvivesAPauseAndRestartsWithANewFileOrJob() {
    Fixture f;
    EncoderView& v = *f.view;
    v.StartClock();
    v.StartRefresh();
    f.Ticks("clockTick", 3);
    v.StopRefresh();  // pause
    f.Tick("clockTick");
    QCOMPARE(Elapsed(f.Line("line1074")), QString("Time elapsed: 00:00:03"));
    v.StartClock();  // resume: the running clock keeps its counts
    v.StartRefresh();
    f.Tick("clockTick");
    QCOMPARE(Elapsed(f.Line("line1074")), QString("Time elapsed: 00:00:04"));
    QCOMPARE(Elapsed(f.Line("line1075")), QString("Time elapsed: 00:00:04"));

    // The next file starts its own elapsed time; the job's goes on.
    v.ShowCurrentFile(0);
    f.Tick("clockTick");
    QCOMPARE(Elapsed(f.Line("line1074")), QString("Time elapsed: 00:00:00"));
    QCOMPARE(Elapsed(f.Line("line1075")), QString("Time elapsed: 00:00:05"));

    v.StopClock();  // the job ends
    QVERIFY(f.Line("line1074").isEmpty() && f.Line("line1075").isEmpty());
    v.StartClock();  // the next job
    f.Tick("clockTick");
    QCOMPARE(Elapsed(f.Line("line1074")), QString("Time elapsed: 00:00:00"));
    QCOMPARE(Elapsed(f.Line("line1075")), QString("Time elapsed: 00:00:00"));
  }

  void currentFileLinesComeFromTheSnapshot() {
    Fixture f;
    f.job.snapshot.Edit([](JobSnapshot& s) {
      s.catalog.AddInputPath(kMovie);
      MediaFacts& facts = s.catalog.MutableFacts(kMovie);
      facts.sizeText = "1234";
      facts.createdDate = "01/02/2024";
      facts.modifiedDate = "03/04/2024";
    });
    f.view->ShowCurrentFile(0);
    QCOMPARE(f.Line("line1053"), QString::fromStdString("Current input file: " + kMovie));
    QCOMPARE(f.Line("line1054"),
             QString("File size: 1234 KB. Creation date: 01/02/2024. Last modified on: 03/04/2024"));
    f.view->ShowCurrentFile(1);  // not an entry of the list
    QCOMPARE(f.Line("line1053"), QString("Current input file: "));
    QCOMPARE(f.Line("line1054"), QString("File size:  KB. Creation date: . Last modified on: "));

    f.view->ShowCurrentFile(0);
    f.view->ResetJobBar();
    QVERIFY(f.Line("line1053").isEmpty() && f.Line("line1054").isEmpty());
  }

  void fullScreenToggleAndEmphasis() {
    Fixture f;
    QSignalSpy fills(f.view.get(), &EncoderView::fullScreenRequested);
    QSignalSpy emphases(f.view.get(), &EncoderView::emphasizeRequested);
    QMouseEvent move(QEvent::MouseMove, QPointF(50, 50), QPointF(50, 50), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);

    QApplication::sendEvent(f.view.get(), &move);
    QCOMPARE(emphases.count(), 1);

    f.Button("fullScreen")->click();
    QVERIFY(f.view->IsFullScreen());
    QCOMPARE(fills.last().at(0).toBool(), true);
    QCOMPARE(f.Button("fullScreen")->toolTip(), QString("pushed state ('No full screen')"));
    QApplication::sendEvent(f.view.get(), &move);
    QCOMPARE(emphases.count(), 1);  // a full-screen pane asks for no emphasis

    // The main window enlarges and restores the pane itself while the
    // toggle is disabled during a job.
    f.view->EnableFullScreenToggle(false);
    f.Button("fullScreen")->click();
    QVERIFY(f.view->IsFullScreen());
    f.Tick("toggleFullScreen");
    QVERIFY(!f.view->IsFullScreen());
    QCOMPARE(fills.count(), 2);
    QCOMPARE(fills.last().at(0).toBool(), false);
    QCOMPARE(f.Button("fullScreen")->toolTip(), QString("Full screen"));
  }

  void buttonsHideWhileThePaneAnimates() {
    Fixture f;
    f.view->show();  // a hidden widget gets its size change only when shown
    f.view->resize(500, 260);
    QCOMPARE(f.Button("stop")->geometry(), QRect(440, 230, 50, 20));
    f.view->SetAnimating(true);
    f.view->resize(520, 280);
    for (const char* b : {"encode", "pause", "stop"}) QVERIFY2(f.Button(b)->isHidden(), b);
    f.view->SetAnimating(false);
    f.view->ShowButtons();
    for (const char* b : {"encode", "pause", "stop"}) QVERIFY2(!f.Button(b)->isHidden(), b);
  }

  void freeSpaceLineFollowsTheDestination() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    Fixture f(dir.path().toStdString());
    QVERIFY2(f.Line("line1050").startsWith("Available disk space: "), qPrintable(f.Line("line1050")));
    QVERIFY(f.Line("line1050").endsWith(" MB free on drive /:"));

    f.settings.setDestinationFolder("");
    f.Tick("diskTick");
    QVERIFY(!f.Line("line1050").isEmpty());  // an empty folder changes nothing
    f.settings.setDestinationFolder("/nonexistent-zq48-folder");
    f.Tick("diskTick");
    QVERIFY(f.Line("line1050").isEmpty());
  }
};

int RunEncoderViewTests(int argc, char** argv) {
  EncoderViewTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "encoder_view_test.moc"

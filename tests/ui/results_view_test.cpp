// The results view: its table (grouping, formats, failed and unmeasured
// variants), the copied text, the chart's points, and the dialog's chart
// and buttons.

#include <QApplication>
#include <QChart>
#include <QClipboard>
#include <QComboBox>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QValueAxis>
#include <QtTest>

#include "gui_test_environment.h"
#include "ui/results_dialog.h"
#include "ui/results_model.h"

using namespace zq48;

namespace {

const QString kDash = QString::fromUtf8("\u2013");

// A finished variant of file `file` at the total rate `kbps` (video and
// 64 kbps of sound), measured at `psnrY` dB unless that is 0.
VariantResult Variant(int file, int index, int kbps, double psnrY) {
  VariantResult r;
  r.fileIndex = file;
  r.variantIndex = index;
  r.path = file == 0 ? "/in/first clip.avi" : "/in/second.mov";
  r.filter.videoOn = 1;
  r.filter.audioOn = 1;
  r.filter.width = 160 * (index + 1);
  r.filter.height = 120 * (index + 1);
  r.filter.frameRate = 25.0;
  r.finished = true;
  r.videoRate = static_cast<std::uint32_t>((kbps - 64) * 1000);
  r.audioRate = 64000;
  r.videoFile = "/out/v" + std::to_string(file) + std::to_string(index) + ".zq48";
  r.audioFile = "/out/a" + std::to_string(file) + std::to_string(index) + ".zq48";
  r.videoBytes = static_cast<std::uint64_t>(kbps) * 1000;
  r.audioBytes = 80000;
  if (psnrY > 0) r.quality = {.pictures = 250, .psnrYDb = psnrY, .psnrDb = psnrY + 1.5,
                              .worstPsnrYDb = psnrY - 6, .worstAtSeconds = 12.44};
  return r;
}

VariantResult Failed(int file, int index) {
  VariantResult r = Variant(file, index, 300, 0);
  r.finished = false;
  r.videoRate = r.audioRate = 0;
  r.videoFile = r.audioFile = {};
  r.videoBytes = r.audioBytes = 0;
  return r;
}

// Two files, given out of order: the first with three measured variants,
// one failed and one unmeasured; the second with two.
std::vector<VariantResult> Job() {
  return {Variant(1, 1, 900, 41.0), Variant(0, 2, 1264, 38.25), Variant(0, 0, 264, 31.5),
          Failed(0, 3),            Variant(0, 1, 564, 35.75),  Variant(1, 0, 400, 36.0),
          Variant(0, 4, 2000, 0)};
}

QString Cell(const ResultsModel& m, int row, ResultsModel::Column column, int role = Qt::DisplayRole) {
  return m.data(m.index(row, column), role).toString();
}

std::vector<QPointF> Points(QChart& chart) {
  const QList<QPointF> points = static_cast<QLineSeries*>(chart.series().at(0))->points();
  return {points.begin(), points.end()};
}

}  // namespace

class ResultsViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
  void cleanup() { QLocale::setDefault(QLocale::c()); }

  void rowsGroupTheVariantsByFileAndNameTheFileOnce() {
    ResultsModel m;
    m.SetResults(Job());
    QCOMPARE(m.rowCount(), 7);
    QCOMPARE(m.columnCount(), 12);
    QStringList order, names;
    for (int row = 0; row < m.rowCount(); ++row) {
      order << QString("%1.%2").arg(m.At(row).fileIndex).arg(m.At(row).variantIndex);
      names << Cell(m, row, ResultsModel::File);
    }
    QCOMPARE(order, QStringList({"0.0", "0.1", "0.2", "0.3", "0.4", "1.0", "1.1"}));
    QCOMPARE(names, QStringList({"first clip.avi", "", "", "", "", "second.mov", ""}));
    QCOMPARE(Cell(m, 5, ResultsModel::File, Qt::ToolTipRole), QString("/in/second.mov"));
  }

  // A German locale is in force: every number keeps its point.
  void cellsAreFormattedWithoutTheLocale() {
    VariantResult r = Variant(0, 1, 564, 35.75);
    r.videoRate = 334567;
    r.filter.frameRate = 29.97;
    r.videoBytes = 1234567;
    r.audioBytes = 81234;
    r.quality.psnrDb = 36.456;
    QStringList cells;
    for (int c = 0; c < ResultsModel::ColumnCount; ++c) cells << ResultCell(r, ResultsModel::Column(c));
    QCOMPARE(cells, QStringList({"first clip.avi", "320x240", "29.97", "334.6", "64.0", "398.6", "1.23 MB",
                                 "81.2 kB", "35.75", "36.46", "29.75 dB at 0:12.4", "finished"}));
    r.videoBytes = 950;
    QCOMPARE(ResultCell(r, ResultsModel::VideoSize), QString("950 B"));
    r.quality.worstAtSeconds = 3725.06;
    QCOMPARE(ResultCell(r, ResultsModel::WorstPsnrY), QString("29.75 dB at 1:02:05.1"));
    r.filter.frameRate = 25.0;
    QCOMPARE(ResultCell(r, ResultsModel::FrameRate), QString("25.00"));
  }

  void failedUnmeasuredAndSoundOnlyVariantsShowDashes() {
    ResultsModel m;
    m.SetResults(Job());
    // Row 3 failed: its targets stay, nothing measured, marked in its colour.
    QCOMPARE(Cell(m, 3, ResultsModel::State), QString("failed"));
    QCOMPARE(Cell(m, 3, ResultsModel::FrameSize), QString("640x480"));
    for (auto c : {ResultsModel::VideoRate, ResultsModel::AudioRate, ResultsModel::TotalRate,
                   ResultsModel::VideoSize, ResultsModel::AudioSize, ResultsModel::PsnrY,
                   ResultsModel::PsnrYuv, ResultsModel::WorstPsnrY})
      QCOMPARE(Cell(m, 3, c), kDash);
    QVERIFY(m.data(m.index(3, ResultsModel::TotalRate), Qt::ForegroundRole).isValid());
    QVERIFY(!m.data(m.index(4, ResultsModel::TotalRate), Qt::ForegroundRole).isValid());
    // Row 4 finished without a measurement: rates, no PSNR.
    QCOMPARE(Cell(m, 4, ResultsModel::State), QString("finished"));
    QCOMPARE(Cell(m, 4, ResultsModel::TotalRate), QString("2000.0"));
    QCOMPARE(Cell(m, 4, ResultsModel::PsnrY), kDash);
    QCOMPARE(Cell(m, 4, ResultsModel::WorstPsnrY), kDash);

    VariantResult sound = Variant(0, 0, 64, 0);
    sound.filter.videoOn = 0;
    sound.videoRate = 0;
    sound.videoBytes = 0;
    QCOMPARE(ResultCell(sound, ResultsModel::FrameSize), kDash);
    QCOMPARE(ResultCell(sound, ResultsModel::FrameRate), kDash);
    QCOMPARE(ResultCell(sound, ResultsModel::VideoRate), kDash);
    QCOMPARE(ResultCell(sound, ResultsModel::TotalRate), QString("64.0"));
  }

  void copiedTextIsTheTableWithEveryRowNamingItsFile() {
    const QStringList lines = ResultsText(Job()).split('\n');
    QCOMPARE(lines.size(), 9);  // header, seven rows, and the last line's end
    QCOMPARE(lines[0], QString("File\tFrame size\tFrame rate\tVideo (kbps)\tAudio (kbps)\tTotal (kbps)\t"
                               "Video size\tAudio size\tPSNR Y (dB)\tPSNR YUV (dB)\tWorst PSNR Y\tState"));
    QCOMPARE(lines[2], QString("first clip.avi\t320x240\t25.00\t500.0\t64.0\t564.0\t564.0 kB\t80.0 kB\t"
                               "35.75\t37.25\t29.75 dB at 0:12.4\tfinished"));
    QCOMPARE(lines[7].section('\t', 0, 0), QString("second.mov"));
    QCOMPARE(lines[8], QString());
  }

  void chartPointsAreTheFinishedMeasuredVariantsByRate() {
    const std::vector<FileChart> charts = ChartsOf(Job());
    QCOMPARE(charts.size(), std::size_t{2});
    QCOMPARE(charts[0].path, QString("/in/first clip.avi"));
    QCOMPARE(charts[0].points,
             (std::vector<QPointF>{{264.0, 31.5}, {564.0, 35.75}, {1264.0, 38.25}}));
    QCOMPARE(charts[1].points, (std::vector<QPointF>{{400.0, 36.0}, {900.0, 41.0}}));
    // A file with nothing measured keeps its place, without points.
    const std::vector<FileChart> none = ChartsOf({Failed(0, 0), Variant(0, 1, 300, 0)});
    QCOMPARE(none.size(), std::size_t{1});
    QVERIFY(none[0].points.empty());
  }

  void dialogChartsTheChosenFileAndFollowsTheSelection() {
    ResultsDialog dialog;
    dialog.SetResults(Job(), "/elsewhere/");
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Results"));
    QChart& chart = dialog.Chart();
    QCOMPARE(chart.title(), QString("first clip.avi"));
    QCOMPARE(Points(chart), ChartsOf(Job())[0].points);
    QCOMPARE(chart.axes(Qt::Horizontal).at(0)->titleText(), QString("Total bit rate (kbps)"));
    QCOMPARE(chart.axes(Qt::Vertical).at(0)->titleText(), QString("PSNR Y (dB)"));
    // Every point lies inside the axes.
    auto* rate = static_cast<QValueAxis*>(chart.axes(Qt::Horizontal).at(0));
    auto* psnr = static_cast<QValueAxis*>(chart.axes(Qt::Vertical).at(0));
    QVERIFY(rate->min() <= 0 && rate->max() >= 1264);
    QVERIFY(psnr->min() <= 31.5 && psnr->max() >= 38.25);

    auto* files = dialog.findChild<QComboBox*>("chartFile");
    QVERIFY(files->isVisible());
    QCOMPARE(files->count(), 2);
    auto* table = dialog.findChild<QTableView*>("resultsTable");
    table->selectRow(6);
    QCOMPARE(files->currentIndex(), 1);
    QCOMPARE(chart.title(), QString("second.mov"));
    QCOMPARE(Points(chart), ChartsOf(Job())[1].points);

    // One file: no choice to make; nothing measured: the title says so.
    dialog.SetResults({Failed(0, 0)}, "/dest/");
    QVERIFY(!files->isVisible());
    QVERIFY(Points(chart).empty());
    QCOMPARE(chart.title(), QString("first clip.avi (no picture quality measured)"));
  }

  void buttonsCopyPlayAndOpenTheFolder() {
    ResultsDialog dialog;
    QList<QUrl> opened;
    dialog.SetUrlOpener([&](const QUrl& url) { opened << url; });
    QSignalSpy play(&dialog, &ResultsDialog::playRequested);
    dialog.SetResults(Job(), "/elsewhere/");
    dialog.show();
    // The folder is the one the results' files are in.
    QCOMPARE(dialog.Folder(), QString("/out/"));

    dialog.findChild<QPushButton*>("copy")->click();
    QCOMPARE(QApplication::clipboard()->text(), ResultsText(Job()));

    auto* playButton = dialog.findChild<QPushButton*>("play");
    playButton->click();
    dialog.findChild<QTableView*>("resultsTable")->selectRow(5);
    playButton->click();
    QCOMPARE(play.size(), 2);
    QCOMPARE(play[0], (QVariantList{"/out/", "/in/first clip.avi"}));
    QCOMPARE(play[1], (QVariantList{"/out/", "/in/second.mov"}));

    dialog.findChild<QPushButton*>("openFolder")->click();
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile("/out/")});

    // Nothing written: the job's destination, and nothing to play.
    dialog.SetResults({Failed(0, 0)}, "/dest");
    QCOMPARE(dialog.Folder(), QString("/dest/"));
    QVERIFY(!playButton->isEnabled());

    dialog.findChild<QPushButton*>("close")->click();
    QVERIFY(!dialog.isVisible());
  }
};

int main(int argc, char** argv) {
  zq48::testing::GuiTestEnvironment environment;
  if (!environment.valid()) return 2;
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  ResultsViewTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "results_view_test.moc"

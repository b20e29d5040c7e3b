// The progress view's parts on their own: the gradient bar's text, the effect
// button's palette and tooltips, the layout, and the texts of the lines.

#include <QRegularExpression>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

#include "ui/effect_button.h"
#include "ui/encoder_layout.h"
#include "ui/gradient_progress_bar.h"
#include "ui/progress_lines.h"

using namespace zq48;

namespace {
QString BarText(int lower, int upper, int position,
                GradientProgressBar::TextMode mode = GradientProgressBar::TextMode::Percent) {
  GradientProgressBar bar;
  bar.SetTextMode(mode);
  bar.SetRange(lower, upper);
  bar.SetPosition(position);
  return bar.Text();
}
}  // namespace

class EncoderPartsTest : public QObject {
  Q_OBJECT

 private slots:
  void barPercentTextTruncatesInFloatingPoint() {
    QCOMPARE(BarText(0, 1000, 0), QString("0%"));
    QCOMPARE(BarText(0, 1000, 999), QString("99%"));  // truncated, not rounded
    QCOMPARE(BarText(0, 3, 2), QString("66%"));
    QCOMPARE(BarText(200, 300, 250), QString("50%"));  // measured from the lower bound
    // Long jobs: position × 100 would overflow 32-bit integer arithmetic.
    QCOMPARE(BarText(0, 60000000, 30000000), QString("50%"));
    QCOMPARE(BarText(0, 2000000000, 1999999999), QString("99%"));
    // A job that did more than it planned shows it; an empty range shows 0.
    QCOMPARE(BarText(0, 10, 15), QString("150%"));
    QCOMPARE(BarText(0, 0, 7), QString("0%"));
  }

  void barOtherTextModesAndStops() {
    QCOMPARE(BarText(0, 100, 42, GradientProgressBar::TextMode::Position), QString("42"));
    QCOMPARE(BarText(0, 100, 42, GradientProgressBar::TextMode::None), QString());
    GradientProgressBar bar;
    bar.SetColorStops(std::vector<QColor>(9, Qt::red));
    QCOMPARE(static_cast<int>(bar.ColorStops().size()), GradientProgressBar::kMaxColorStops);
  }

  void effectPaletteBlendsShadowFaceHighlight() {
    EffectPalette p = MakeEffectPalette(QColor(0, 0, 0), QColor(128, 64, 200), QColor(255, 255, 255));
    QCOMPARE(p[0], qRgb(0, 0, 0));
    QCOMPARE(p[64], qRgb(64, 32, 100));  // half way from shadow to face
    QCOMPARE(p[128], qRgb(128, 64, 200));
    QCOMPARE(p[255], qRgb(255, 255, 255));
    for (int i = 1; i < 256; ++i) QVERIFY2(qRed(p[i]) >= qRed(p[i - 1]), qPrintable(QString::number(i)));
  }

  void buttonToolTipFollowsPushedState() {
    EffectButton toggle;
    toggle.setCheckable(true);
    toggle.SetToolTips("Full screen", "pushed state ('No full screen')");
    QCOMPARE(toggle.toolTip(), QString("Full screen"));
    toggle.setChecked(true);
    QCOMPARE(toggle.toolTip(), QString("pushed state ('No full screen')"));
    toggle.setChecked(false);
    QCOMPARE(toggle.toolTip(), QString("Full screen"));

    // An empty pushed text keeps the normal one while the button is held down.
    EffectButton encode;
    encode.resize(50, 20);
    encode.SetToolTips("Start encode", QString());
    QTest::mousePress(&encode, Qt::LeftButton);
    QVERIFY(encode.IsPushed());
    QCOMPARE(encode.toolTip(), QString("Start encode"));
    QTest::mouseRelease(&encode, Qt::LeftButton);

    // A long text is broken into lines no wider than 300 pixels.
    const QString words = "pushed state ('No full screen') " + QString("with a good many more words ").repeated(8);
    toggle.SetToolTips(words, words);
    const QStringList lines = toggle.toolTip().split('\n');
    QVERIFY(lines.size() > 1);
    for (const QString& line : lines)
      QVERIFY2(QFontMetrics(QToolTip::font()).horizontalAdvance(line) <= kMaxTipWidth, qPrintable(line));
    QCOMPARE(QString(lines.join(' ')).simplified(), words.simplified());
  }

  void layoutStacksLinesAndAnchorsButtons() {
    EncoderLayout l = LayOutEncoderView({400, 300});
    QCOMPARE(l.fullScreenToggle, QRect(376, 0, 24, 20));
    QCOMPARE(l.currentFileLine, QRect(10, 20, 380, 15));
    const QRect stack[] = {l.currentFileLine, l.fileFactsLine, l.fileBar,    l.fileTimeLine,
                           l.jobBar,          l.jobTimeLine,   l.freeSpaceLine};
    for (int i = 1; i < 7; ++i) {
      QCOMPARE(stack[i].top(), stack[i - 1].bottom() + 1 + 5);
      QCOMPARE(stack[i].left(), 10);
      QCOMPARE(stack[i].right(), 389);
      QCOMPARE(stack[i].height(), i == 4 ? 30 : 15);  // the job bar is taller
    }
    // Buttons from the bottom-right corner: 10 in, 3 apart.
    QCOMPARE(l.stop, QRect(340, 270, 50, 20));
    QCOMPARE(l.pause, QRect(287, 270, 50, 20));
    QCOMPARE(l.encode, QRect(234, 270, 50, 20));
  }

  void layoutDropsButtonsBelowAShortView() {
    QCOMPARE(LayOutEncoderView({400, 200}).stop.bottom() + 1, 190);
    QCOMPARE(LayOutEncoderView({400, 199}).stop.bottom() + 1, 199 + 30 - 10);
    QCOMPARE(LayOutEncoderView({400, 120}).encode.top(), 120);
  }

  void timeLineFormat() {
    QCOMPARE(TimeLine(3725, 7322),
             QString("Time elapsed: 01:02:05   Time estimated: 02:02:02"));
    QCOMPARE(TimeLine(0, 0), QString("Time elapsed: 00:00:00   Time estimated: 00:00:00"));
    // Hours are not limited to two digits, and the estimate is not limited to 32 bits.
    QCOMPARE(TimeLine(360000, 4000000000LL),
             QString("Time elapsed: 100:00:00   Time estimated: 1111111:06:40"));
    // The −1 range of an empty bar gives negative estimates, written as they are.
    QCOMPARE(TimeLine(4, -2), QString("Time elapsed: 00:00:04   Time estimated: 00:00:-2"));
  }

  void freeSpaceLineReportsMegabytesOfTheFolder() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    std::optional<QString> line = FreeSpaceLine(dir.path().toStdString() + "/");
    QVERIFY(line.has_value());
    QRegularExpression format("^Available disk space: (\\d+) MB free on drive /:$");
    QRegularExpressionMatch match = format.match(*line);
    QVERIFY2(match.hasMatch(), qPrintable(*line));
    // Another reader of the same number; other programs may write meanwhile.
    qint64 expected = QStorageInfo(dir.path()).bytesAvailable() / 1048576;
    QVERIFY(qAbs(match.captured(1).toLongLong() - expected) <= 64);
  }

  void freeSpaceLineForEmptyAndMissingFolders() {
    QVERIFY(!FreeSpaceLine("").has_value());  // the line stays as it was
    std::optional<QString> missing = FreeSpaceLine("/nonexistent-zq48-folder/");
    QVERIFY(missing.has_value());
    QCOMPARE(*missing, QString());
  }
};

int RunEncoderPartsTests(int argc, char** argv) {
  EncoderPartsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "encoder_parts_test.moc"

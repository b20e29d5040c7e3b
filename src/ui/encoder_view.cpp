#include "ui/encoder_view.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QTimer>

#include "catalog/encode_settings.h"
#include "encode/job_progress.h"
#include "encode/job_state.h"
#include "ui/effect_button.h"
#include "ui/encoder_layout.h"
#include "ui/gradient_progress_bar.h"
#include "ui/progress_lines.h"

namespace zq48 {

namespace {
constexpr int kRefreshPeriodMs = 500;
constexpr int kClockPeriodMs = 1000;
constexpr int kDiskPeriodMs = 5000;
constexpr int kResetUpper = 1000;

const QColor kRed(255, 0, 0), kYellow(255, 255, 0), kGreen(0, 255, 0), kCyan(0, 255, 255),
    kBlue(0, 0, 255), kMagenta(255, 0, 255);

// The bar fonts are given as character-cell heights; Qt sizes a font by its
// em, so take the largest pixel size whose cell still fits.
QFont FontWithCellHeight(const QString& family, int cellHeight, int weight) {
  QFont font(family);
  font.setWeight(static_cast<QFont::Weight>(weight));
  int pixels = cellHeight;
  do {
    font.setPixelSize(pixels);
  } while (QFontMetrics(font).height() > cellHeight && --pixels > 1);
  return font;
}

// The projected total of a bar at its present rate, from the bar itself.
std::int64_t BarEstimate(const GradientProgressBar& bar, std::int32_t elapsed) {
  return EstimatedTotalSeconds(bar.Upper() - bar.Lower(), bar.Position(), elapsed);
}

void ResetBar(GradientProgressBar& bar) {
  bar.SetRange(0, kResetUpper);
  bar.SetPosition(0);
}

EffectButton* MakeCommandButton(QWidget* parent, const char* name, const QString& text,
                                const QString& tip) {
  auto* button = new EffectButton(parent);
  button->setObjectName(name);
  button->setText(text);
  button->SetToolTips(tip, QString());
  button->SetEffect({ButtonEffect::kGlowAtPointer, 8, 20, 5, QColor(55, 55, 255)});
  return button;
}

QLabel* MakeLine(QWidget* parent, const char* name) {
  auto* line = new QLabel(parent);
  line->setObjectName(name);
  line->setTextFormat(Qt::PlainText);  // a path may hold '<' or '&'
  return line;
}

QTimer* MakeTimer(QObject* parent, const char* name, int periodMs) {
  auto* timer = new QTimer(parent);
  timer->setObjectName(name);
  timer->setInterval(periodMs);
  return timer;
}
}  // namespace

struct EncoderView::Impl {
  Impl(JobState& j, const EncodeSettings& s) : job(j), settings(s) {}

  void SetButtons(bool encodeOn, bool pauseOn, bool stopOn) {
    encode->setEnabled(encodeOn);
    pause->setEnabled(pauseOn);
    stop->setEnabled(stopOn);
  }
  void SetButtonsVisible(bool visible) {
    for (EffectButton* b : {encode, pause, stop}) b->setVisible(visible);
  }

  JobState& job;
  const EncodeSettings& settings;

  EffectButton* fullScreenToggle = nullptr;
  EffectButton* encode = nullptr;
  EffectButton* pause = nullptr;
  EffectButton* stop = nullptr;
  GradientProgressBar* fileBar = nullptr;
  GradientProgressBar* jobBar = nullptr;
  QLabel* currentFileLine = nullptr;
  QLabel* fileFactsLine = nullptr;
  QLabel* fileTimeLine = nullptr;
  QLabel* jobTimeLine = nullptr;
  QLabel* freeSpaceLine = nullptr;
  QTimer* refreshTimer = nullptr;
  QTimer* clockTimer = nullptr;
  QTimer* diskTimer = nullptr;

  bool fullScreen = false;
  bool animating = false;
  std::int32_t fileElapsed = 0;
  std::int32_t jobElapsed = 0;
};

EncoderView::EncoderView(JobState& job, const EncodeSettings& settings, QWidget* parent)
    : QWidget(parent), impl_(std::make_unique<Impl>(job, settings)) {
  setMouseTracking(true);  // moving over the view asks for its emphasis
  Impl& d = *impl_;

  d.fullScreenToggle = new EffectButton(this);
  d.fullScreenToggle->setObjectName("fullScreen");
  d.fullScreenToggle->setCheckable(true);
  d.fullScreenToggle->SetToolTips("Full screen", "pushed state ('No full screen')");
  d.fullScreenToggle->SetIcons(style()->standardIcon(QStyle::SP_TitleBarMaxButton),
                               style()->standardIcon(QStyle::SP_TitleBarNormalButton));
  d.fullScreenToggle->SetEffect({ButtonEffect::kGlowOverFace, 8, 30, 0, QColor(0, 0, 0)});
  d.encode = MakeCommandButton(this, "encode", "Encode", "Start encode");
  d.pause = MakeCommandButton(this, "pause", "Pause", "Pause encode");
  d.stop = MakeCommandButton(this, "stop", "Stop", "Stop encode");
  connect(d.fullScreenToggle, &QAbstractButton::clicked, this, &EncoderView::toggleFullScreen);
  connect(d.encode, &QAbstractButton::clicked, this, &EncoderView::encodeRequested);
  connect(d.pause, &QAbstractButton::clicked, this, &EncoderView::pauseRequested);
  connect(d.stop, &QAbstractButton::clicked, this, &EncoderView::stopRequested);
  SetButtonsDisabled();

  d.currentFileLine = MakeLine(this, "line1053");
  d.fileFactsLine = MakeLine(this, "line1054");
  d.fileTimeLine = MakeLine(this, "line1074");
  d.jobTimeLine = MakeLine(this, "line1075");
  d.freeSpaceLine = MakeLine(this, "line1050");
  diskTick();

  d.fileBar = new GradientProgressBar(this);
  d.fileBar->setObjectName("fileBar");
  d.fileBar->SetTextFont(FontWithCellHeight("Arial", 18, 700));
  d.fileBar->SetColorStops({kRed, kYellow, kGreen, kCyan, kBlue, kMagenta, kRed});
  d.fileBar->SetTextMode(GradientProgressBar::TextMode::Percent);
  ResetBar(*d.fileBar);

  d.jobBar = new GradientProgressBar(this);
  d.jobBar->setObjectName("jobBar");
  d.jobBar->SetTextFont(FontWithCellHeight("Arial", 35, 1000));
  d.jobBar->SetColorStops({kRed, kMagenta, kBlue, kCyan, kGreen, kYellow, kRed});
  d.jobBar->SetTextMode(GradientProgressBar::TextMode::Percent);
  ResetBar(*d.jobBar);

  d.refreshTimer = MakeTimer(this, "refreshTimer", kRefreshPeriodMs);
  d.clockTimer = MakeTimer(this, "clockTimer", kClockPeriodMs);
  d.diskTimer = MakeTimer(this, "diskTimer", kDiskPeriodMs);
  connect(d.refreshTimer, &QTimer::timeout, this, &EncoderView::refreshTick);
  connect(d.clockTimer, &QTimer::timeout, this, &EncoderView::clockTick);
  connect(d.diskTimer, &QTimer::timeout, this, &EncoderView::diskTick);
  d.diskTimer->start();
}

// The timers are children and stop with the view.
EncoderView::~EncoderView() = default;

void EncoderView::SetButtonsDisabled() { impl_->SetButtons(false, false, false); }
void EncoderView::SetButtonsIdle() { impl_->SetButtons(true, false, false); }
void EncoderView::SetButtonsRunning() { impl_->SetButtons(false, true, true); }
void EncoderView::SetButtonsPaused() { impl_->SetButtons(true, false, true); }

void EncoderView::StartRefresh() {
  if (!impl_->refreshTimer->isActive()) impl_->refreshTimer->start();
}

void EncoderView::StopRefresh() { impl_->refreshTimer->stop(); }

void EncoderView::StartClock() {
  // A running clock belongs to a job that is only resuming: keep its counts.
  if (impl_->clockTimer->isActive()) return;
  impl_->fileElapsed = 0;
  impl_->jobElapsed = 0;
  impl_->clockTimer->start();
}

void EncoderView::StopClock() {
  if (!impl_->clockTimer->isActive()) return;
  impl_->clockTimer->stop();
  impl_->fileTimeLine->clear();
  impl_->jobTimeLine->clear();
}

void EncoderView::EnableFullScreenToggle(bool enable) {
  impl_->fullScreenToggle->setEnabled(enable);
}

bool EncoderView::IsFullScreen() const { return impl_->fullScreen; }

void EncoderView::SetAnimating(bool animating) { impl_->animating = animating; }

void EncoderView::ResetFileBar() { ResetBar(*impl_->fileBar); }

void EncoderView::ResetJobBar() {
  ResetBar(*impl_->jobBar);
  impl_->currentFileLine->clear();
  impl_->fileFactsLine->clear();
}

void EncoderView::ShowButtons() { impl_->SetButtonsVisible(true); }

void EncoderView::ShowCurrentFile(int index) {
  // The file's time line counts from the file's own start, or its estimate
  // would project the earlier files' time onto this one.
  impl_->fileElapsed = 0;
  CurrentFileLines lines = ReadCurrentFileLines(impl_->job, index);
  impl_->currentFileLine->setText(lines.path);
  impl_->fileFactsLine->setText(lines.facts);
}

void EncoderView::ListChanged(bool hasItems, bool jobExists) {
  // While a job exists (even one that is stopping) its own end decides the buttons.
  if (jobExists) return;
  if (hasItems)
    SetButtonsIdle();
  else
    SetButtonsDisabled();
}

void EncoderView::refreshTick() {
  JobProgress p = ReadJobProgress(impl_->job);
  impl_->fileBar->SetRange(0, p.fileUpper);
  impl_->fileBar->SetPosition(p.filePosition);
  impl_->jobBar->SetRange(0, p.jobUpper);
  impl_->jobBar->SetPosition(p.jobPosition);
  emit titleChanged(QString::asprintf("%i %% - ZQ48 Encoder", p.titlePercent));
}

void EncoderView::clockTick() {
  Impl& d = *impl_;
  d.fileTimeLine->setText(TimeLine(d.fileElapsed, BarEstimate(*d.fileBar, d.fileElapsed)));
  d.jobTimeLine->setText(TimeLine(d.jobElapsed, BarEstimate(*d.jobBar, d.jobElapsed)));
  ++d.fileElapsed;
  ++d.jobElapsed;
}

void EncoderView::diskTick() {
  // A minimised window shows nothing; spare the file system the question.
  if (window()->isMinimized()) return;
  if (std::optional<QString> line = FreeSpaceLine(impl_->settings.destinationFolder()))
    impl_->freeSpaceLine->setText(*line);
}

void EncoderView::toggleFullScreen() {
  Impl& d = *impl_;
  d.fullScreen = !d.fullScreen;
  d.fullScreenToggle->setChecked(d.fullScreen);
  emit fullScreenRequested(d.fullScreen);
}

void EncoderView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Impl& d = *impl_;
  EncoderLayout l = LayOutEncoderView(size());
  d.fullScreenToggle->setGeometry(l.fullScreenToggle);
  d.currentFileLine->setGeometry(l.currentFileLine);
  d.fileFactsLine->setGeometry(l.fileFactsLine);
  d.fileBar->setGeometry(l.fileBar);
  d.fileTimeLine->setGeometry(l.fileTimeLine);
  d.jobBar->setGeometry(l.jobBar);
  d.jobTimeLine->setGeometry(l.jobTimeLine);
  d.freeSpaceLine->setGeometry(l.freeSpaceLine);
  d.encode->setGeometry(l.encode);
  d.pause->setGeometry(l.pause);
  d.stop->setGeometry(l.stop);
  // Buttons sliding along with an animated pane would flicker; the main
  // window shows them again when its animation ends.
  d.SetButtonsVisible(!d.animating);
}

void EncoderView::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  if (!impl_->fullScreen) emit emphasizeRequested();
}

}  // namespace zq48

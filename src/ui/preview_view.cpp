#include "ui/preview_view.h"

#include <QAction>
#include <QSlider>
#include <QStyle>
#include <QToolBar>
#include <cmath>

#include "catalog/media_facts.h"
#include "ui/effect_button.h"
#include "ui/preview_parts.h"
#include "ui/preview_volume.h"

namespace zq48 {

namespace {
constexpr int kPositionPeriodMs = 500;
constexpr int kSideMargin = 10;  // left and right of the video box
constexpr int kBarHeight = 30;   // above and below the video box
constexpr int kToolBarLeft = 10;
constexpr int kToolBarWidth = 210;
constexpr int kSeekBarHeight = 20;
constexpr int kVolumeWidth = 90;
constexpr QSize kToggleSize(24, 20);
}  // namespace

PreviewView::PreviewView(QWidget* parent) : QWidget(parent) {
  setObjectName("preview");
  setFocusPolicy(Qt::ClickFocus);  // so that its pane can be the active one
  video_ = new VideoArea(this);
  seek_ = new SeekBar(this);
  connect(seek_, &SeekBar::seekRequested, this, &PreviewView::SeekTo);
  BuildToolBar();
  fullScreenToggle_ = new EffectButton(this);
  fullScreenToggle_->setObjectName("fullScreen");
  fullScreenToggle_->setCheckable(true);
  fullScreenToggle_->SetToolTips("Full screen", "pushed state ('No full screen')");
  fullScreenToggle_->SetIcons(style()->standardIcon(QStyle::SP_TitleBarMaxButton),
                              style()->standardIcon(QStyle::SP_TitleBarNormalButton));
  fullScreenToggle_->SetEffect({ButtonEffect::kGlowOverFace, 8, 30, 0, QColor(0, 0, 0)});
  connect(fullScreenToggle_, &QAbstractButton::clicked, this, &PreviewView::toggleFullScreen);
  position_.setInterval(kPositionPeriodMs);
  connect(&position_, &QTimer::timeout, this, &PreviewView::OnPositionTimer);
  connect(&player_, &PreviewPlayer::pictureChanged, this,
          [this] { video_->SetPicture(player_.Picture()); });
  connect(&player_, &PreviewPlayer::finished, this, &PreviewView::finished);
  SetCommands({});
  Relayout();
}

void PreviewView::BuildToolBar() {
  tools_ = new QToolBar(this);
  tools_->setIconSize(QSize(16, 16));
  auto add = [this](QStyle::StandardPixmap icon, const QString& text, const char* name) {
    QAction* action = tools_->addAction(style()->standardIcon(icon), text);
    action->setObjectName(name);
    return action;
  };
  play_ = add(QStyle::SP_MediaPlay, "Play", "play");
  pause_ = add(QStyle::SP_MediaPause, "Pause", "pause");
  stop_ = add(QStyle::SP_MediaStop, "Stop", "stop");
  tools_->addSeparator();
  mute_ = add(QStyle::SP_MediaVolume, "Mute", "mute");
  volume_ = new VolumeSlider;
  volume_->setObjectName("volume");
  volume_->setPageStep(10);
  volume_->setValue(kVolumeSliderMax);
  volume_->setFixedWidth(kVolumeWidth);
  tools_->addWidget(volume_);
  connect(play_, &QAction::triggered, this, &PreviewView::playRequested);
  connect(pause_, &QAction::triggered, this, &PreviewView::pauseRequested);
  connect(stop_, &QAction::triggered, this, &PreviewView::stopRequested);
  connect(mute_, &QAction::triggered, this, &PreviewView::ToggleMute);
  connect(volume_, &QSlider::valueChanged, this, &PreviewView::ApplyVolume);
}

QAction* PreviewView::ToolAction(const char* name) const {
  return tools_->findChild<QAction*>(name);
}

QSlider& PreviewView::Seek() { return *seek_; }

bool PreviewView::Play(const QString& path, const MediaFacts& facts) {
  const double duration = std::max(facts.videoDuration, facts.audioDuration);
  if (!player_.Open(path, duration)) return false;
  movieWidth_ = facts.width;
  movieHeight_ = facts.height;
  ApplyVolume();
  player_.Play();
  Relayout();
  position_.start();
  return true;
}

void PreviewView::Resume() { player_.Play(); }

void PreviewView::Pause() { player_.Pause(); }

void PreviewView::Stop() {
  position_.stop();
  player_.Stop();
  video_->SetPicture(QImage());
  seek_->setValue(0);
  Relayout();
}

void PreviewView::SetCommands(const PreviewCommands& commands) {
  play_->setEnabled(commands.play);
  pause_->setEnabled(commands.pause);
  stop_->setEnabled(commands.stop);
  const bool previewing = State() != PreviewState::Stopped;
  mute_->setEnabled(previewing);
  volume_->setEnabled(previewing);
  seek_->setEnabled(previewing);
}

// ---- volume -----------------------------------------------------------------

int PreviewView::CurrentAttenuation() const { return Attenuation(volume_->value(), muted_); }

void PreviewView::ApplyVolume() { player_.SetAttenuation(CurrentAttenuation()); }

void PreviewView::ToggleMute() {
  muted_ = !muted_;
  mute_->setIcon(style()->standardIcon(muted_ ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
  ApplyVolume();
}

// ---- position ---------------------------------------------------------------

void PreviewView::OnPositionTimer() {
  if (seek_->isSliderDown()) return;  // the user's drag wins
  // Rounded: 0.98 s must not become 9,799,999 units and drop the bar a step.
  const auto to100ns = [](double seconds) { return std::llround(seconds * 1e7); };
  seek_->setValue(SeekBarPosition(to100ns(player_.Position()), to100ns(player_.Duration())));
}

void PreviewView::SeekTo(int percent) {
  if (State() == PreviewState::Stopped && !player_.Loaded()) return;
  player_.Seek(player_.Duration() * percent / 100.0);
}

void PreviewView::toggleFullScreen() {
  fullScreen_ = !fullScreen_;
  fullScreenToggle_->setChecked(fullScreen_);
  emit fullScreenRequested(fullScreen_);
}

// ---- layout -----------------------------------------------------------------

QRect PreviewView::VideoRect() const { return video_->geometry(); }

void PreviewView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Relayout();
}

void PreviewView::Relayout() {
  tools_->setGeometry(kToolBarLeft, 0, kToolBarWidth, kBarHeight);
  fullScreenToggle_->setGeometry(QRect(QPoint(width() - kToggleSize.width(), 0), kToggleSize));
  const QRect box = rect().adjusted(kSideMargin, kBarHeight, -kSideMargin, -kBarHeight);
  const bool previewing = State() != PreviewState::Stopped;
  const QRect area = previewing ? FitAspect(box, movieWidth_, movieHeight_) : box;
  video_->setGeometry(area);
  seek_->setGeometry(area.left(), area.bottom() + 1, area.width(), kSeekBarHeight);
}

}  // namespace zq48

#include "ui/preview_parts.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <algorithm>

#include "ui/preview_volume.h"

namespace zq48 {

VideoArea::VideoArea(QWidget* parent) : QWidget(parent) {
  setObjectName("videoArea");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void VideoArea::SetPicture(QImage picture) {
  picture_ = std::move(picture);
  update();
}

void VideoArea::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (picture_.isNull())
    painter.fillRect(rect(), palette().button());
  else
    painter.drawImage(rect(), picture_);
}

SeekBar::SeekBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setObjectName("seekBar");
  setRange(0, 100);
}

void SeekBar::MoveTo(int x) {
  const int value = QStyle::sliderValueFromPosition(minimum(), maximum(), x, width());
  setValue(value);
  emit seekRequested(value);
}

void SeekBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QSlider::mousePressEvent(event);
  dragging_ = true;
  MoveTo(event->position().toPoint().x());
}

void SeekBar::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton)) MoveTo(event->position().toPoint().x());
}

void SeekBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = false;
}

QRect FitAspect(const QRect& box, int width, int height) {
  if (width <= 0 || height <= 0 || box.isEmpty()) return box;
  // Compared crosswise in 64 bits: the box is relatively wider -> pillar-boxed.
  if (static_cast<qint64>(box.width()) * height > static_cast<qint64>(box.height()) * width) {
    const int w = static_cast<int>(static_cast<qint64>(box.height()) * width / height);
    return QRect(box.left() + (box.width() - w) / 2, box.top(), w, box.height());
  }
  const int h = static_cast<int>(static_cast<qint64>(box.width()) * height / width);
  return QRect(box.left(), box.top() + (box.height() - h) / 2, box.width(), h);
}

// ---- volume slider ------------------------------------------------------------

namespace {
constexpr int kWedgeMargin = 2;  // around the wedge, so that its outline shows whole
}  // namespace

VolumeSlider::VolumeSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setRange(kVolumeSliderMin, kVolumeSliderMax);
  setMinimumHeight(16);
}

QRect VolumeSlider::WedgeRect() const {
  return rect().adjusted(kWedgeMargin, kWedgeMargin, -kWedgeMargin, -kWedgeMargin);
}

int VolumeSlider::ValueAt(int x) const {
  const QRect wedge = WedgeRect();
  if (wedge.width() <= 1) return minimum();
  return QStyle::sliderValueFromPosition(minimum(), maximum(), x - wedge.left(),
                                         wedge.width() - 1);
}

void VolumeSlider::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRect wedge = WedgeRect();
  // Thin at the quiet end, full height at the loud end.
  const QPolygon outline({wedge.bottomLeft(), wedge.bottomRight(), wedge.topRight()});
  const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
  const int filled = QStyle::sliderPositionFromValue(minimum(), maximum(), value(),
                                                     wedge.width() - 1);
  if (filled > 0) {
    const int x = wedge.left() + filled;
    const int top = wedge.bottom() - (wedge.height() - 1) * filled / std::max(1, wedge.width() - 1);
    const QPolygon part({wedge.bottomLeft(), QPoint(x, wedge.bottom()), QPoint(x, top)});
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(group, QPalette::Highlight));
    painter.drawPolygon(part);
  }
  painter.setPen(palette().color(group, QPalette::WindowText));
  painter.setBrush(Qt::NoBrush);
  painter.drawPolygon(outline);
}

void VolumeSlider::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QSlider::mousePressEvent(event);
  dragging_ = true;
  setSliderDown(true);
  setValue(ValueAt(event->position().toPoint().x()));
  event->accept();
}

void VolumeSlider::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return QSlider::mouseMoveEvent(event);
  setValue(ValueAt(event->position().toPoint().x()));
  event->accept();
}

void VolumeSlider::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_) return QSlider::mouseReleaseEvent(event);
  dragging_ = false;
  setSliderDown(false);
  event->accept();
}

}  // namespace zq48

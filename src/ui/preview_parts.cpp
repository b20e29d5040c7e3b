#include "ui/preview_parts.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

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

}  // namespace zq48

#include "ui/wait_animation.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace zq48 {

namespace {

void DrawFolder(QPainter& p, const QRectF& r) {
  p.setBrush(QColor(240, 200, 90));
  p.setPen(QColor(150, 110, 30));
  p.drawRect(QRectF(r.left(), r.top(), r.width() * 0.45, r.height() * 0.2));
  p.drawRect(QRectF(r.left(), r.top() + r.height() * 0.15, r.width(), r.height() * 0.85));
}

void DrawList(QPainter& p, const QRectF& r) {
  p.setBrush(Qt::white);
  p.setPen(QColor(90, 90, 120));
  p.drawRect(r);
  for (int i = 1; i < 5; ++i) {
    const double y = r.top() + r.height() * i / 5;
    p.drawLine(QPointF(r.left() + 4, y), QPointF(r.right() - 4, y));
  }
}

}  // namespace

WaitAnimation::WaitAnimation(QWidget* parent) : QWidget(parent), timer_(new QTimer(this)) {
  setObjectName("waitAnimation");
  timer_->setInterval(kFrameMs);
  connect(timer_, &QTimer::timeout, this, &WaitAnimation::Advance);
}

bool WaitAnimation::Playing() const { return timer_->isActive(); }

void WaitAnimation::Advance() {
  frame_ = (frame_ + 1) % kFrames;
  update();
}

void WaitAnimation::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  frame_ = 0;
  timer_->start();
}

void WaitAnimation::hideEvent(QHideEvent* event) {
  timer_->stop();
  QWidget::hideEvent(event);
}

// The page follows an arc from the folder on the left to the list on the right.
void WaitAnimation::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const double h = height(), w = width();
  const QRectF folder(8, h * 0.3, h * 0.6, h * 0.55);
  const QRectF list(w - 8 - h * 0.5, h * 0.25, h * 0.5, h * 0.65);
  DrawFolder(p, folder);
  DrawList(p, list);
  const double t = static_cast<double>(frame_) / (kFrames - 1);
  const QPointF from = folder.center(), to = list.center();
  const double x = from.x() + (to.x() - from.x()) * t;
  const double y = from.y() - (h * 0.45) * 4 * t * (1 - t);  // up and down again
  const QRectF page(x - h * 0.12, y - h * 0.16, h * 0.24, h * 0.32);
  p.setBrush(QColor(250, 250, 255));
  p.setPen(QColor(60, 60, 90));
  p.drawRect(page);
}

}  // namespace zq48

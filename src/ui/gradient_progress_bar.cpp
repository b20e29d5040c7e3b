#include "ui/gradient_progress_bar.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace zq48 {

namespace {
// Conversion toward zero, held inside the int range.
int TruncToInt(double v) {
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}
}  // namespace

GradientProgressBar::GradientProgressBar(QWidget* parent) : QWidget(parent) {}

void GradientProgressBar::SetRange(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
  update();
}

void GradientProgressBar::SetPosition(int position) {
  position_ = position;
  update();
}

void GradientProgressBar::SetColorStops(const std::vector<QColor>& stops) {
  auto count = std::min<std::size_t>(stops.size(), kMaxColorStops);
  stops_.assign(stops.begin(), stops.begin() + static_cast<std::ptrdiff_t>(count));
  update();
}

int GradientProgressBar::Percent() const {
  double range = static_cast<double>(upper_) - lower_;
  if (range == 0) return 0;
  return TruncToInt((static_cast<double>(position_) - lower_) * 100.0 / range);
}

QString GradientProgressBar::Text() const {
  switch (mode_) {
    case TextMode::Percent:
      return QString::asprintf("%d%%", Percent());
    case TextMode::Position:
      return QString::asprintf("%d", position_);
    case TextMode::None:
      break;
  }
  return {};
}

double GradientProgressBar::FilledFraction() const {
  double range = static_cast<double>(upper_) - lower_;
  if (range <= 0) return 0.0;
  return std::clamp((static_cast<double>(position_) - lower_) / range, 0.0, 1.0);
}

void GradientProgressBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);

  // A sunken well, like the system's own progress bar.
  QRect well = rect();
  painter.fillRect(well, palette().color(QPalette::Base));
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(well.adjusted(0, 0, -1, -1));

  QRect inner = well.adjusted(1, 1, -1, -1);
  int filledWidth = static_cast<int>(inner.width() * FilledFraction());
  if (filledWidth > 0 && !stops_.empty()) {
    // The filled part carries every stop, so the colours squeeze and stretch
    // with the progress instead of being uncovered from a fixed strip.
    QRect filled(inner.left(), inner.top(), filledWidth, inner.height());
    QLinearGradient gradient(filled.topLeft(), filled.topRight());
    if (stops_.size() == 1) {
      gradient.setColorAt(0, stops_.front());
      gradient.setColorAt(1, stops_.front());
    } else {
      for (std::size_t i = 0; i < stops_.size(); ++i)
        gradient.setColorAt(static_cast<double>(i) / (stops_.size() - 1), stops_[i]);
    }
    painter.fillRect(filled, gradient);
  }

  QString text = Text();
  if (text.isEmpty()) return;
  // Dark letters with a light outline stay readable over every stop colour
  // and over the empty well alike.
  QPainterPath path;
  QFontMetrics metrics(textFont_);
  QPointF origin(inner.left() + (inner.width() - metrics.horizontalAdvance(text)) / 2.0,
                 inner.top() + (inner.height() + metrics.ascent() - metrics.descent()) / 2.0);
  path.addText(origin, textFont_, text);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setClipRect(inner);
  painter.strokePath(path, QPen(QColor(255, 255, 255, 200), 3));
  painter.fillPath(path, QColor(0, 0, 0));
}

}  // namespace zq48

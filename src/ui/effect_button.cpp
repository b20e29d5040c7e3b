#include "ui/effect_button.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QToolTip>
#include <algorithm>

namespace zq48 {

namespace {
QRgb Blend(const QColor& from, const QColor& to, int step, int steps) {
  auto mix = [&](int a, int b) { return a + (b - a) * step / steps; };
  return qRgb(mix(from.red(), to.red()), mix(from.green(), to.green()),
              mix(from.blue(), to.blue()));
}

constexpr int kMaxIntensity = 10;
}  // namespace

EffectPalette MakeEffectPalette(const QColor& shadow, const QColor& face, const QColor& highlight) {
  EffectPalette shades{};
  for (int i = 0; i <= 128; ++i) shades[i] = Blend(shadow, face, i, 128);
  for (int i = 129; i < 256; ++i) shades[i] = Blend(face, highlight, i - 128, 127);
  return shades;
}

EffectButton::EffectButton(QWidget* parent) : QAbstractButton(parent) {
  setMouseTracking(true);  // the glow follows the pointer
  RebuildPalette();
  // The tooltip text depends on the pushed state, which these report.
  connect(this, &QAbstractButton::toggled, this, &EffectButton::RefreshToolTip);
  connect(this, &QAbstractButton::pressed, this, &EffectButton::RefreshToolTip);
  connect(this, &QAbstractButton::released, this, &EffectButton::RefreshToolTip);
}

void EffectButton::SetEffect(const ButtonEffect& effect) {
  effect_ = effect;
  update();
}

void EffectButton::SetIcons(const QIcon& normal, const QIcon& pushed) {
  normalIcon_ = normal;
  pushedIcon_ = pushed;
  update();
}

void EffectButton::SetToolTips(const QString& normal, const QString& pushed) {
  normalTip_ = normal;
  pushedTip_ = pushed;
  RefreshToolTip();
}

void EffectButton::RefreshToolTip() {
  const QString text = IsPushed() && !pushedTip_.isEmpty() ? pushedTip_ : normalTip_;
  setToolTip(WrapToWidth(text, QFontMetrics(QToolTip::font()), kMaxTipWidth));
}

QString WrapToWidth(const QString& text, const QFontMetrics& metrics, int width) {
  QStringList lines;
  QString line;
  for (const QString& word : text.split(' ')) {
    const QString longer = line.isEmpty() ? word : line + ' ' + word;
    if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
      lines << line;
      line = word;
    } else {
      line = longer;
    }
  }
  lines << line;
  return lines.join('\n');
}

void EffectButton::RebuildPalette() {
  const QPalette& p = palette();
  shades_ = MakeEffectPalette(p.color(QPalette::Dark), p.color(QPalette::Button),
                              p.color(QPalette::Light));
}

bool EffectButton::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::PaletteChange:
      RebuildPalette();
      update();
      break;
    case QEvent::Enter:
      hovered_ = true;
      update();
      break;
    case QEvent::Leave:
      hovered_ = false;
      update();
      break;
    default:
      break;
  }
  return QAbstractButton::event(event);
}

void EffectButton::mouseMoveEvent(QMouseEvent* event) {
  pointer_ = event->position().toPoint();
  if (effect_.intensity > 0) update();
  QAbstractButton::mouseMoveEvent(event);
}

void EffectButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintFace(painter);
  if (hovered_ && isEnabled()) PaintGlow(painter);
  PaintLabel(painter);
}

void EffectButton::PaintFace(QPainter& painter) const {
  // Each row takes its shade from the palette: highlight at the top edge,
  // the face colour in the middle, shadow at the bottom; reversed when pushed.
  const int h = height();
  for (int y = 0; y < h; ++y) {
    int fromTop = h > 1 ? 255 - y * 255 / (h - 1) : 128;
    painter.setPen(QColor(shades_[IsPushed() ? 255 - fromTop : fromTop]));
    painter.drawLine(0, y, width() - 1, y);
  }
  QColor light = QColor(shades_[255]);
  QColor dark = palette().color(QPalette::Shadow);
  if (IsPushed()) std::swap(light, dark);
  QRect r = rect().adjusted(0, 0, -1, -1);
  painter.setPen(light);
  painter.drawLine(r.topLeft(), r.topRight());
  painter.drawLine(r.topLeft(), r.bottomLeft());
  painter.setPen(dark);
  painter.drawLine(r.bottomLeft(), r.bottomRight());
  painter.drawLine(r.topRight(), r.bottomRight());
}

void EffectButton::PaintGlow(QPainter& painter) const {
  if (effect_.intensity <= 0) return;
  QColor accent = effect_.accent;
  accent.setAlpha(255 * std::min(effect_.intensity, kMaxIntensity) / kMaxIntensity);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  if (effect_.kind == ButtonEffect::kGlowOverFace) {
    painter.fillRect(rect().adjusted(1, 1, -1, -1), accent);
  } else {
    int outer = std::max(effect_.outerSize, 1);
    QRadialGradient glow(pointer_, outer);
    glow.setColorAt(0, accent);
    glow.setColorAt(std::clamp(double(effect_.innerSize) / outer, 0.0, 1.0), accent);
    QColor clear = accent;
    clear.setAlpha(0);
    glow.setColorAt(1, clear);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), glow);
  }
  painter.restore();
}

void EffectButton::PaintLabel(QPainter& painter) const {
  // Pushed contents shift by a pixel, as on a classic push button.
  QRect area = rect().translated(IsPushed() ? QPoint(1, 1) : QPoint());
  const QIcon& icon = IsPushed() && !pushedIcon_.isNull() ? pushedIcon_ : normalIcon_;
  if (!icon.isNull()) {
    QRect iconRect(0, 0, 16, 16);
    iconRect.moveCenter(area.center());
    icon.paint(&painter, iconRect, Qt::AlignCenter,
               isEnabled() ? QIcon::Normal : QIcon::Disabled);
  }
  if (!text().isEmpty()) {
    QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    painter.setPen(palette().color(group, QPalette::ButtonText));
    painter.setFont(font());
    painter.drawText(area, Qt::AlignCenter | Qt::TextShowMnemonic, text());
  }
  if (hasFocus()) {
    painter.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(3, 3, -4, -4));
  }
}

}  // namespace zq48

#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>
#include <QPoint>
#include <QRgb>
#include <QString>
#include <array>

class QFontMetrics;
class QPainter;

namespace zq48 {

// 256 shades for a button face: entries 0..128 run from the shadow colour to
// the face colour in 128 steps, entries 128..255 from the face colour to the
// highlight colour.
using EffectPalette = std::array<QRgb, 256>;
EffectPalette MakeEffectPalette(const QColor& shadow, const QColor& face, const QColor& highlight);

// How a button lights up under the pointer. The accent colour glows at full
// strength within `innerSize` pixels of the pointer and fades out by
// `outerSize`; `intensity` scales it (0 = no glow, 10 = opaque).
struct ButtonEffect {
  enum Kind : int {
    kGlowAtPointer = 2,  // a round glow that follows the pointer
    kGlowOverFace = 6,   // the whole face tinted while the pointer is over it
  };
  int kind = kGlowAtPointer;
  int innerSize = 0;
  int outerSize = 0;
  int intensity = 0;
  QColor accent;
};

// Tooltips are at most this wide; longer texts are broken into lines.
inline constexpr int kMaxTipWidth = 300;

// `text` broken at spaces into lines of at most `width` pixels in `metrics`
// (a single word wider than that keeps a line of its own).
QString WrapToWidth(const QString& text, const QFontMetrics& metrics, int width);

// An owner-drawn button: a face shaded through its effect palette (light
// above, dark below; the other way round while pushed), an optional pair of
// 16×16 icons for the normal and the pushed state, and a tooltip with a
// normal and a pushed text.
class EffectButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit EffectButton(QWidget* parent = nullptr);

  void SetEffect(const ButtonEffect& effect);
  const ButtonEffect& Effect() const { return effect_; }
  const EffectPalette& Palette() const { return shades_; }

  void SetIcons(const QIcon& normal, const QIcon& pushed);
  // The tooltip shows the pushed text while the button is pushed (held down
  // or checked), unless that text is empty.
  void SetToolTips(const QString& normal, const QString& pushed);
  bool IsPushed() const { return isDown() || isChecked(); }

  QSize sizeHint() const override { return {50, 20}; }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void RebuildPalette();
  void RefreshToolTip();
  void PaintFace(QPainter& painter) const;
  void PaintGlow(QPainter& painter) const;
  void PaintLabel(QPainter& painter) const;

  ButtonEffect effect_;
  EffectPalette shades_{};
  QIcon normalIcon_;
  QIcon pushedIcon_;
  QString normalTip_;
  QString pushedTip_;
  QPoint pointer_;
  bool hovered_ = false;
};

}  // namespace zq48

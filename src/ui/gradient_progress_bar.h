#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <vector>

namespace zq48 {

// A progress bar whose filled part runs through a list of colour stops and
// which writes its value centred over itself. Unlike QProgressBar it keeps a
// position outside its range as it is (a job may report more than it
// planned), and it accepts an empty range.
class GradientProgressBar : public QWidget {
  Q_OBJECT

 public:
  enum class TextMode { None, Percent, Position };
  static constexpr int kMaxColorStops = 7;

  explicit GradientProgressBar(QWidget* parent = nullptr);

  void SetRange(int lower, int upper);
  void SetPosition(int position);
  int Lower() const { return lower_; }
  int Upper() const { return upper_; }
  int Position() const { return position_; }

  // Stops beyond the seventh are ignored.
  void SetColorStops(const std::vector<QColor>& stops);
  const std::vector<QColor>& ColorStops() const { return stops_; }
  void SetTextMode(TextMode mode) { mode_ = mode; update(); }
  void SetTextFont(const QFont& font) { textFont_ = font; update(); }
  const QFont& TextFont() const { return textFont_; }

  // What the bar writes over itself: "%d%%" of the percentage, "%d" of the
  // position, or nothing.
  QString Text() const;
  // (position − lower) × 100 / (upper − lower) in floating point, truncated;
  // 0 for an empty range.
  int Percent() const;

 private:
  void paintEvent(QPaintEvent* event) override;
  double FilledFraction() const;

  int lower_ = 0;
  int upper_ = 100;
  int position_ = 0;
  std::vector<QColor> stops_;
  TextMode mode_ = TextMode::None;
  QFont textFont_;
};

}  // namespace zq48

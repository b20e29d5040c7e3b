#include "ui/encoder_layout.h"

namespace zq48 {

namespace {
constexpr int kSideMargin = 10;
constexpr int kFirstLineTop = 20;
constexpr int kGap = 5;
constexpr int kLineHeight = 15;
constexpr int kJobBarHeight = 30;
constexpr QSize kToggleSize{24, 20};
constexpr QSize kButtonSize{50, 20};
constexpr int kButtonMargin = 10;  // from the right edge and from the baseline
constexpr int kButtonGap = 3;
constexpr int kShortViewBaselineDrop = 30;

// Places rectangles of the given heights one below the other.
class Stack {
 public:
  Stack(int left, int width, int top) : left_(left), width_(width), top_(top) {}
  QRect Next(int height) {
    QRect r(left_, top_, width_, height);
    top_ += height + kGap;
    return r;
  }

 private:
  int left_;
  int width_;
  int top_;
};

// A button of the row whose right edge (exclusive) is `right`.
QRect ButtonLeftOf(int right, int bottom) {
  return QRect(QPoint(right - kButtonSize.width(), bottom - kButtonSize.height()), kButtonSize);
}
}  // namespace

EncoderLayout LayOutEncoderView(QSize size) {
  const int w = size.width();
  const int h = size.height();
  EncoderLayout l;
  l.fullScreenToggle = QRect(QPoint(w - kToggleSize.width(), 0), kToggleSize);

  Stack stack(kSideMargin, w - 2 * kSideMargin, kFirstLineTop);
  l.currentFileLine = stack.Next(kLineHeight);
  l.fileFactsLine = stack.Next(kLineHeight);
  l.fileBar = stack.Next(kLineHeight);
  l.fileTimeLine = stack.Next(kLineHeight);
  l.jobBar = stack.Next(kJobBarHeight);
  l.jobTimeLine = stack.Next(kLineHeight);
  l.freeSpaceLine = stack.Next(kLineHeight);

  // In a view too short for the stack the buttons drop partly out of sight
  // rather than cover the lines.
  const int baseline = h < kEncoderStackHeight ? h + kShortViewBaselineDrop : h;
  const int buttonBottom = baseline - kButtonMargin;
  l.stop = ButtonLeftOf(w - kButtonMargin, buttonBottom);
  l.pause = ButtonLeftOf(l.stop.left() - kButtonGap, buttonBottom);
  l.encode = ButtonLeftOf(l.pause.left() - kButtonGap, buttonBottom);
  return l;
}

}  // namespace zq48

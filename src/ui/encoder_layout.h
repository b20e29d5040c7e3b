#pragma once

#include <QRect>
#include <QSize>

namespace zq48 {

// Where the progress view's controls go for a given view size.
struct EncoderLayout {
  QRect fullScreenToggle;
  QRect currentFileLine;  // line 1053
  QRect fileFactsLine;    // line 1054
  QRect fileBar;
  QRect fileTimeLine;     // line 1074
  QRect jobBar;
  QRect jobTimeLine;      // line 1075
  QRect freeSpaceLine;    // line 1050
  QRect encode;
  QRect pause;
  QRect stop;
};

// The height the stacked lines and bars want; a shorter view moves the
// buttons' baseline 30 pixels below its bottom edge.
inline constexpr int kEncoderStackHeight = 200;

// The toggle sits in the top-right corner; the lines and bars stack down from
// 20 pixels below the top, 10 pixels in from both sides, 5 pixels apart; the
// three buttons line up from the bottom-right corner.
EncoderLayout LayOutEncoderView(QSize size);

}  // namespace zq48

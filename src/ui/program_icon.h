#pragma once

#include <QIcon>
#include <QString>

namespace zq48 {

// The program's icon: the picture the package installs as
// zq48-encoder.svg, compiled in and drawn at the usual icon sizes. Windows,
// dialogs and message boxes show it, and the window system gets it for its
// task bars.
QIcon ProgramIcon();

// Draws an icon made of rectangles, as ours is: each <rect> (x, y, width,
// height, rx) in its own fill or that of its group, scaled from the view
// box to the picture's size. Anything else in the text is passed over.
QIcon RectangleIcon(const QString& svgText);

}  // namespace zq48

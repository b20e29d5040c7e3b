#include "ui/program_icon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStack>
#include <QXmlStreamReader>
#include <vector>

#include "ui/program_icon_svg.h"

namespace zq48 {

namespace {

// The sizes window systems and the About box ask for.
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

struct Shape {
  QRectF rect;
  double radius = 0;
  QColor fill;
};

struct Picture {
  QRectF viewBox{0, 0, 48, 48};
  std::vector<Shape> shapes;
};

double Number(const QXmlStreamAttributes& a, const char* name) {
  return a.value(QLatin1String(name)).toDouble();
}

Picture ReadPicture(const QString& svgText) {
  Picture picture;
  QXmlStreamReader xml(svgText);
  QStack<QColor> fills;  // the fill each open element passes on to its children
  fills.push(Qt::black);
  while (!xml.atEnd()) {
    const QXmlStreamReader::TokenType token = xml.readNext();
    if (token == QXmlStreamReader::EndElement) {
      fills.pop();
      continue;
    }
    if (token != QXmlStreamReader::StartElement) continue;
    const QXmlStreamAttributes a = xml.attributes();
    const QColor fill = a.hasAttribute("fill") ? QColor(a.value("fill").toString()) : fills.top();
    fills.push(fill);
    if (xml.name() == QLatin1String("svg") && a.hasAttribute("viewBox")) {
      const QStringList box = a.value("viewBox").toString().split(' ', Qt::SkipEmptyParts);
      if (box.size() == 4)
        picture.viewBox = QRectF(box[0].toDouble(), box[1].toDouble(), box[2].toDouble(), box[3].toDouble());
    } else if (xml.name() == QLatin1String("rect")) {
      picture.shapes.push_back({QRectF(Number(a, "x"), Number(a, "y"), Number(a, "width"), Number(a, "height")),
                                Number(a, "rx"), fill});
    }
  }
  return picture;
}

QPixmap Draw(const Picture& picture, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.scale(size / picture.viewBox.width(), size / picture.viewBox.height());
  painter.translate(-picture.viewBox.topLeft());
  for (const Shape& s : picture.shapes) {
    painter.setBrush(s.fill);
    painter.drawRoundedRect(s.rect, s.radius, s.radius);
  }
  return QPixmap::fromImage(image);
}

}  // namespace

QIcon RectangleIcon(const QString& svgText) {
  const Picture picture = ReadPicture(svgText);
  QIcon icon;
  if (picture.shapes.empty()) return icon;
  for (int size : kSizes) icon.addPixmap(Draw(picture, size));
  return icon;
}

// Drawn afresh for each caller (a few windows): pixmaps kept in a static
// would outlive the application object that owns their resources.
QIcon ProgramIcon() { return RectangleIcon(QString::fromUtf8(kProgramIconSvg)); }

}  // namespace zq48

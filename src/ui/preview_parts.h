#pragma once

#include <QImage>
#include <QSlider>
#include <QWidget>

namespace zq48 {

// Where the preview's picture is drawn, scaled to fill the area; without a
// picture the area shows the window's button face.
class VideoArea : public QWidget {
  Q_OBJECT

 public:
  explicit VideoArea(QWidget* parent = nullptr);
  void SetPicture(QImage picture);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

// The seek bar: 0..100 percent of the file. A click puts the thumb under
// the pointer at once, and dragging with the button held moves it on; each
// move is reported.
class SeekBar : public QSlider {
  Q_OBJECT

 public:
  explicit SeekBar(QWidget* parent = nullptr);

 signals:
  void seekRequested(int percent);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void MoveTo(int x);
  bool dragging_ = false;
};

// The volume slider of the tool bar, 1..100, drawn as a wedge that grows to
// the right: the part up to the value is filled, the rest is outlined. A
// click sets the value under the pointer at once; dragging moves it on.
class VolumeSlider : public QSlider {
  Q_OBJECT

 public:
  explicit VolumeSlider(QWidget* parent = nullptr);
  // The value a pointer at `x` stands for.
  int ValueAt(int x) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QRect WedgeRect() const;
  bool dragging_ = false;
};

// The largest rectangle of the picture's shape centred in the box.
QRect FitAspect(const QRect& box, int width, int height);

}  // namespace zq48

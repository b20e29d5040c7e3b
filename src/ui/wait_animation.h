#pragma once

#include <QWidget>

class QTimer;

namespace zq48 {

// The wait dialog's animation: a page flying from a folder into a list,
// played from its first to its last frame and round again, without end,
// while it is shown. The pictures are drawn, not loaded.
class WaitAnimation : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kFrames = 16;
  static constexpr int kFrameMs = 60;

  explicit WaitAnimation(QWidget* parent = nullptr);

  int Frame() const { return frame_; }
  bool Playing() const;
  QSize sizeHint() const override { return {272, 60}; }

 public slots:
  // The next frame; after the last comes the first.
  void Advance();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QTimer* timer_ = nullptr;
  int frame_ = 0;
};

}  // namespace zq48

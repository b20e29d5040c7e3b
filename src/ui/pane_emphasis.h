#pragma once

#include <QObject>
#include <QTimer>

#include "ui/pane_splitter.h"

namespace zq48 {

// The animated emphasis of one pane: every tick its row and its column grow
// (or shrink) by a fixed step toward two thirds of the grid, the other row
// and column taking the rest, until both are within two steps of their goal.
class PaneEmphasis : public QObject {
  Q_OBJECT

 public:
  static constexpr int kTickMs = 10;
  static constexpr int kRowStep = 6;
  static constexpr int kColumnStep = 8;

  explicit PaneEmphasis(PaneSplitter& splitter, QObject* parent = nullptr);

  // Starts from the grid's present sizes; an animation still running is dropped.
  void Start(Pane pane);
  // Drops a running animation where it is, without `finished`.
  void Stop();
  bool Running() const { return timer_.isActive(); }

 public slots:
  // One step, applied to the grid. Returns true once the pane has arrived;
  // the timer is then stopped and `finished` emitted.
  bool Tick();

 signals:
  void started();
  void finished();

 private:
  // One axis of the animated pane: its size, where it is going, how fast.
  struct Track {
    int current = 0;
    int target = 0;
    int step = 0;
    bool Advance();  // true when already close enough
  };

  void Apply();

  PaneSplitter& splitter_;
  QTimer timer_;
  Pane pane_ = Pane::Encoder;
  Track row_;
  Track column_;
};

}  // namespace zq48

#pragma once

#include <QDialog>

namespace zq48 {

// The "Adding file(s), please wait..." box the file list shows while files
// are probed. It stays on top without taking the input from the window, and
// its animation plays on the GUI thread, which the probes leave free.
class WaitDialog : public QDialog {
  Q_OBJECT

 public:
  explicit WaitDialog(QWidget* parent = nullptr);

  // Shows the box with its right edge on the anchor's right edge and its
  // top 50 pixels below the anchor's top.
  void ShowBeside(const QWidget& anchor);
};

}  // namespace zq48

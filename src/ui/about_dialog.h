#pragma once

#include <QDialog>

namespace zq48 {

// Help > About: the program's icon, name and version, and an OK button.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace zq48

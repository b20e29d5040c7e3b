#pragma once

#include <QDialog>

#include "encode/settings_checks.h"

class QDoubleSpinBox;
class QSpinBox;

namespace zq48 {

class InputCatalog;

// The time range and cropping of the files selected in the list. OK checks
// the values against every listed file and keeps the dialog open, with a
// warning, on the first value that fails.
class TimeRangeDialog : public QDialog {
  Q_OBJECT

 public:
  TimeRangeDialog(const RangeAndCrop& values, const InputCatalog& catalog,
                  QWidget* parent = nullptr);

  // The dialog keeps seconds in single precision, both ways, as the files'
  // options always had them.
  RangeAndCrop Values() const;
  void SetValues(const RangeAndCrop& values);

  void accept() override;

 private:
  const InputCatalog& catalog_;
  QDoubleSpinBox* begin_ = nullptr;
  QDoubleSpinBox* end_ = nullptr;
  QSpinBox* left_ = nullptr;
  QSpinBox* right_ = nullptr;
  QSpinBox* top_ = nullptr;
  QSpinBox* bottom_ = nullptr;
};

}  // namespace zq48

#pragma once

#include <QLabel>

namespace zq48 {

// Stands in for the preview player until it exists. Nothing ever plays, so
// the Preview menu stays disabled and stopping does nothing.
class PreviewPlaceholder : public QLabel {
  Q_OBJECT

 public:
  explicit PreviewPlaceholder(QWidget* parent = nullptr);

  void Stop() {}
};

}  // namespace zq48

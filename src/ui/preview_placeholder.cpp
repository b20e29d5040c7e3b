#include "ui/preview_placeholder.h"

namespace zq48 {

PreviewPlaceholder::PreviewPlaceholder(QWidget* parent)
    : QLabel("Preview (the player comes later)", parent) {
  setObjectName("previewPlaceholder");
  setAlignment(Qt::AlignCenter);
  // Clicking it takes the focus, so that its pane can be the active one.
  setFocusPolicy(Qt::ClickFocus);
}

}  // namespace zq48

#include "ui/wait_dialog.h"

#include <QVBoxLayout>

#include "ui/wait_animation.h"

namespace zq48 {

namespace {
constexpr int kTopOffset = 50;
}  // namespace

WaitDialog::WaitDialog(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint) {
  setObjectName("waitDialog");
  setWindowTitle("Adding file(s), please wait...");
  setModal(false);
  // Shown beside the list, it must not take the keyboard from the window.
  setAttribute(Qt::WA_ShowWithoutActivating);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new WaitAnimation(this));
  adjustSize();
}

void WaitDialog::ShowBeside(const QWidget& anchor) {
  const QPoint topRight = anchor.mapToGlobal(QPoint(anchor.width(), 0));
  move(topRight.x() - frameGeometry().width(), topRight.y() + kTopOffset);
  show();
}

}  // namespace zq48

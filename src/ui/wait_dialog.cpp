#include "ui/wait_dialog.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace zq48 {

namespace {
constexpr int kTopOffset = 50;
}  // namespace

WaitDialog::WaitDialog(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint) {
  setObjectName("waitDialog");
  setWindowTitle("Adding file(s), please wait...");
  setModal(false);
  auto* busy = new QProgressBar(this);
  busy->setRange(0, 0);  // no end known: the bar runs back and forth
  busy->setTextVisible(false);
  busy->setMinimumWidth(260);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(busy);
  adjustSize();
}

void WaitDialog::ShowBeside(const QWidget& anchor) {
  const QPoint topRight = anchor.mapToGlobal(QPoint(anchor.width(), 0));
  move(topRight.x() - frameGeometry().width(), topRight.y() + kTopOffset);
  show();
}

}  // namespace zq48

#include "ui/exit_confirmation.h"

#include <QMessageBox>
#include <QPushButton>

namespace zq48 {

bool ConfirmExit() {
  QMessageBox box(QMessageBox::Question, "ZQ48", "Are you sure you want to exit?",
                  QMessageBox::NoButton);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  QPushButton* yes = box.addButton("Yes", QMessageBox::YesRole);
  QPushButton* back = box.addButton("Back", QMessageBox::RejectRole);
  box.setDefaultButton(back);  // a stray Enter must not end a running job
  box.setEscapeButton(back);
  box.exec();
  return box.clickedButton() == yes;
}

}  // namespace zq48

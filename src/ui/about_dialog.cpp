#include "ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/program_icon.h"

namespace zq48 {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About ZQ48 design 3");

  const QIcon programIcon = ProgramIcon();
  setWindowIcon(programIcon);
  auto* icon = new QLabel(this);
  icon->setObjectName("aboutIcon");
  icon->setPixmap(programIcon.pixmap(32, 32));

  auto* text = new QLabel("ZQ48 design 3 Version 1.0", this);
  text->setObjectName("aboutText");

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addSpacing(12);
  row->addWidget(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace zq48

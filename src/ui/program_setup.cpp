#include "ui/program_setup.h"

#include <QApplication>
#include <QStandardPaths>

#include "ui/program_icon.h"
#include "ui/qsettings_store.h"

namespace zq48 {

void SetUpProgram() {
  QApplication::setOrganizationName(kSettingsOrganisation);
  QApplication::setApplicationName(kSettingsApplication);
  QApplication::setWindowIcon(ProgramIcon());
  // Lets Wayland compositors and task bars match the windows to
  // zq48-encoder.desktop, and so to its name and icon.
  QGuiApplication::setDesktopFileName("zq48-encoder");
}

}  // namespace zq48

namespace zq48 {

std::string SessionListPath() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  return folder.isEmpty() ? std::string() : (folder + "/session list.json").toStdString();
}

}  // namespace zq48

#pragma once

#include <QString>
#include <QStringList>

namespace zq48 {

// What the desktop program was started with, besides Qt's own options
// (-platform, -style, ..., which QApplication takes out of argv).
struct DesktopArguments {
  bool help = false;     // --help, -h
  bool version = false;  // --version, -V
  QStringList paths;     // files and folders to list
  QString error;         // a usage error, for standard error
};

// --help and --version, which must work before (and without) a display: the
// arguments as given, before QApplication exists. Only these two are looked
// for; an argument after "--" is a file name.
DesktopArguments HelpOrVersion(int argc, char** argv);

// The arguments QApplication left (program name first): files and folders,
// "--" ending the options so that a file may begin with "-". An unknown
// option is an error.
DesktopArguments ReadDesktopArguments(const QStringList& arguments);

// GNU-style usage text for --help.
const char* DesktopUsageText();
inline constexpr const char* kDesktopVersionText = "zq48-encoder (ZQ48 Encoder) 1.0\n";

}  // namespace zq48

#include "ui/desktop_arguments.h"

namespace zq48 {

namespace {

// Reads one argument into `out`; false once "--" has been met.
bool TakeOption(const QString& argument, DesktopArguments& out) {
  if (argument == "--help" || argument == "-h") {
    out.help = true;
  } else if (argument == "--version" || argument == "-V") {
    out.version = true;
  } else if (argument == "--") {
    return false;
  } else if (argument.startsWith('-') && argument != "-") {
    if (out.error.isEmpty()) out.error = "unrecognized option '" + argument + "'";
  } else {
    out.paths << argument;
  }
  return true;
}

}  // namespace

DesktopArguments HelpOrVersion(int argc, char** argv) {
  DesktopArguments out;
  for (int i = 1; i < argc; ++i) {
    const QString argument = QString::fromLocal8Bit(argv[i]);
    if (argument == "--") break;
    if (argument == "--help" || argument == "-h") out.help = true;
    if (argument == "--version" || argument == "-V") out.version = true;
  }
  return out;
}

DesktopArguments ReadDesktopArguments(const QStringList& arguments) {
  DesktopArguments out;
  bool options = true;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (options)
      options = TakeOption(arguments[i], out);
    else
      out.paths << arguments[i];
  }
  return out;
}

const char* DesktopUsageText() {
  return "Usage: zq48-encoder [OPTION]... [FILE|FOLDER]...\n"
         "\n"
         "ZQ48 Encoder, the desktop program. Lists each FILE, and the video files of\n"
         "each FOLDER and its sub-folders, as the Add file(s) command and a drop do,\n"
         "then waits for you to press Encode. The list of the last session is offered\n"
         "back at start.\n"
         "\n"
         "  -h, --help      show this help and exit\n"
         "  -V, --version   show the version and exit\n"
         "  --              what follows is a file, even when it begins with '-'\n"
         "\n"
         "Qt's own options are taken too, for example -platform NAME and -style NAME.\n"
         "The command line: zq48enc(1).\n";
}

}  // namespace zq48

#pragma once

// Runs programs as a script would and reads their JSON, for the tests of
// the command line.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <string>
#include <vector>

namespace zq48::testing {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `command` through the shell, standard error into a file beside `scratch`.
CliRun Shell(const std::string& command, const std::string& scratchFolder);

// zq48enc with `args` (already quoted for the shell).
CliRun Zq48enc(const std::string& args, const std::string& scratchFolder);

std::string Quote(const std::string& text);
std::string ReadText(const std::string& path);

// The text as one JSON object; fails the test when it is not one.
QJsonObject ParseObject(const std::string& text);
// Each line of `text` as a JSON object; fails the test on a line that is not one.
std::vector<QJsonObject> ParseLines(const std::string& text);
// The objects whose "event" is `name`.
std::vector<QJsonObject> Events(const std::vector<QJsonObject>& all, const char* name);

inline std::string Str(const QJsonValue& v) { return v.toString().toStdString(); }

}  // namespace zq48::testing

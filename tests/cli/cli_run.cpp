#include "cli/cli_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace zq48::testing {

std::string Quote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

CliRun Shell(const std::string& command, const std::string& scratchFolder) {
  static int counter = 0;
  const std::string err = scratchFolder + "/stderr-" + std::to_string(++counter) + ".txt";
  CliRun run;
  FILE* pipe = popen(("(" + command + ") 2>" + Quote(err)).c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int raw = pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.err = ReadText(err);
  std::remove(err.c_str());
  return run;
}

CliRun Zq48enc(const std::string& args, const std::string& scratchFolder) {
  return Shell(std::string(ZQ48ENC_PATH) + " " + args, scratchFolder);
}

QJsonObject ParseObject(const std::string& text) {
  QJsonParseError error{};
  QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << " in: " << text;
  EXPECT_TRUE(doc.isObject()) << text;
  return doc.object();
}

std::vector<QJsonObject> ParseLines(const std::string& text) {
  std::vector<QJsonObject> out;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    out.push_back(ParseObject(line));
    EXPECT_TRUE(out.back().contains("event")) << line;
  }
  return out;
}

std::vector<QJsonObject> Events(const std::vector<QJsonObject>& all, const char* name) {
  std::vector<QJsonObject> out;
  for (const QJsonObject& o : all)
    if (o.value("event").toString() == name) out.push_back(o);
  return out;
}

}  // namespace zq48::testing

// zq48enc --serve as a script runs it: the first line gives the address,
// the pages follow, Ctrl-C ends it.

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "support/test_media.h"

extern char** environ;

namespace zq48 {
namespace {

using testing::TempDir;

// zq48enc with `args`, its standard output on a pipe to read line by line.
class Running {
 public:
  explicit Running(std::vector<std::string> args) {
    args.insert(args.begin(), ZQ48ENC_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int fds[2];
    if (::pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    out_ = ::fdopen(fds[0], "r");
  }
  ~Running() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
    if (out_) std::fclose(out_);
  }

  std::string Line() {
    char line[4096];
    if (!out_ || !std::fgets(line, sizeof line, out_)) return {};
    return line;
  }
  // The exit status once it ended; -1 when a signal ended it.
  int Wait() {
    int raw = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &raw, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  void Signal(int signal) { ::kill(pid_, signal); }

 private:
  pid_t pid_ = -1;
  std::FILE* out_ = nullptr;
};

TEST(ServeCommand, PrintsTheAddressesServesThePagesAndEndsOnCtrlC) {
  TempDir dir;
  std::ofstream(dir.File("b clip.play.html")) << "<p>b</p>";
  std::ofstream(dir.File("a.play.html")) << "<p>a</p>";
  std::ofstream(dir.File("a.html")) << "<applet>";

  Running serve({"--serve", dir.path(), "--port", "0"});
  const std::string first = serve.Line();
  ASSERT_EQ(first.rfind("http://127.0.0.1:", 0), 0u) << first;
  const int port = std::stoi(first.substr(17));
  const std::string root = "http://127.0.0.1:" + std::to_string(port) + "/";
  EXPECT_EQ(first, root + "\n");
  EXPECT_EQ(serve.Line(), root + "a.play.html\n");
  EXPECT_EQ(serve.Line(), root + "b%20clip.play.html\n");

  httplib::Client client("127.0.0.1", port);
  auto page = client.Get("/b%20clip.play.html");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->body, "<p>b</p>");

  serve.Signal(SIGINT);
  EXPECT_EQ(serve.Wait(), 0);
  EXPECT_EQ(serve.Line(), "");  // nothing more was printed
}

TEST(ServeCommand, RefusesABadPortAMissingFolderAndStrayArguments) {
  TempDir dir;
  const struct {
    std::string args;
    int status;
    std::string message;
  } cases[] = {
      {"--serve " + dir.path() + " --port 65536", 2, "the port must be 0..65535, not '65536'"},
      {"--serve " + dir.path() + " other", 2, "unexpected argument: 'other'"},
      {"--port 8080", 2, "--port goes with --serve"},
      {"--serve " + dir.File("none"), 1, "cannot serve " + dir.File("none") + ": no such folder"},
  };
  for (const auto& c : cases) {
    const std::string command = std::string(ZQ48ENC_PATH) + " " + c.args + " 2>" + dir.File("err.txt");
    const int raw = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, c.status) << c.args;
    std::stringstream err;
    err << std::ifstream(dir.File("err.txt")).rdbuf();
    EXPECT_NE(err.str().find(c.message), std::string::npos) << c.args << ": " << err.str();
  }
}

}  // namespace
}  // namespace zq48

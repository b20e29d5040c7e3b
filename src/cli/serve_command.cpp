#include "cli/serve_command.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "catalog/output_names.h"
#include "serve/package_server.h"

namespace zq48::cli {

namespace {

// Blocks SIGINT and SIGTERM for this thread and every thread it starts from
// now on, so that they wait for the serving thread's sigwait instead of
// ending the program; the previous mask comes back at the end.
class BlockedStopSignals {
 public:
  BlockedStopSignals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set_, &previous_);
  }
  ~BlockedStopSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  BlockedStopSignals(const BlockedStopSignals&) = delete;
  BlockedStopSignals& operator=(const BlockedStopSignals&) = delete;

  void Wait() const {
    int signal = 0;
    sigwait(&set_, &signal);
  }

 private:
  sigset_t set_{};
  sigset_t previous_{};
};

// The names of the pages for today's browsers in the folder, sorted.
std::vector<std::string> PlayPages(const std::string& folder) {
  std::vector<std::string> pages;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > kPlayPageSuffix.size() && name.ends_with(kPlayPageSuffix) && name[0] != '.' &&
        entry.is_regular_file(error))
      pages.push_back(name);
  }
  std::sort(pages.begin(), pages.end());
  return pages;
}

}  // namespace

int RunServe(const CliOptions& options, std::FILE* out) {
  BlockedStopSignals signals;
  std::string error;
  std::unique_ptr<PackageServer> server =
      PackageServer::Start(options.serveFolder, static_cast<int>(options.port.value_or(0)), &error);
  if (!server) {
    std::fprintf(stderr, "zq48enc: cannot serve %s: %s\n", options.serveFolder.c_str(), error.c_str());
    return 1;
  }
  std::fprintf(out, "%s\n", server->UrlOf("").c_str());
  for (const std::string& page : PlayPages(server->folder())) std::fprintf(out, "%s\n", server->UrlOf(page).c_str());
  std::fflush(out);
  signals.Wait();
  return 0;
}

}  // namespace zq48::cli

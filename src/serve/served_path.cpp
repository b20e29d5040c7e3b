#include "serve/served_path.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace zq48 {

namespace {

using Verdict = ServedPath::Verdict;

// The verdict on the relative name alone, before the file system is asked.
Verdict CheckName(const std::string& name) {
  if (name.empty()) return Verdict::NotFound;  // the folder itself: no listing
  if (name.find('\0') != std::string::npos || name.find('\\') != std::string::npos) return Verdict::Refused;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = name.find('/', begin);
    const std::string segment = name.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    const bool last = end == std::string::npos;
    if (segment.empty()) {
      // "a//b" or a leading "/" (an absolute path); "sub/" names a folder.
      if (!last || begin == 0) return Verdict::Refused;
      return Verdict::NotFound;
    }
    if (segment == "." || segment == "..") return Verdict::Refused;
    if (segment[0] == '.') return Verdict::NotFound;
    if (last) return Verdict::File;
    begin = end + 1;
  }
}

bool Inside(const std::string& root, const std::string& path) {
  const std::string prefix = root == "/" ? root : root + "/";
  return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

ServedPath ResolveServedPath(const std::string& root, const std::string& requestPath) {
  if (requestPath.empty() || requestPath[0] != '/') return {Verdict::Refused, {}};
  const std::string name = requestPath.substr(1);
  const Verdict verdict = CheckName(name);
  if (verdict != Verdict::File) return {verdict, {}};

  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(std::filesystem::path(root) / name, error);
  if (error) return {Verdict::NotFound, {}};
  if (!Inside(root, real.string())) return {Verdict::Refused, {}};
  struct stat facts {};
  if (::stat(real.c_str(), &facts) != 0 || !S_ISREG(facts.st_mode)) return {Verdict::NotFound, {}};
  return {Verdict::File, real.string()};
}

}  // namespace zq48

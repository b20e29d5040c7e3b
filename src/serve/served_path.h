#pragma once

#include <string>

namespace zq48 {

// Where the path of a request leads inside a served folder.
struct ServedPath {
  enum class Verdict {
    File,       // a regular file of the folder: `realPath`
    Refused,    // a name that may not be asked for, or one leading out of the folder
    NotFound,   // nothing there, or nothing that is served (folders, devices, hidden files)
  };
  Verdict verdict = Verdict::NotFound;
  std::string realPath;
};

// Resolves the decoded path of a request ("/NAME" or "/SUB/NAME") against
// `root`, which must be a real path (no symbolic links, no trailing "/").
// Only plain relative names are taken: no "." or ".." segment, no empty
// segment (so no "//etc/passwd"), no backslash and no NUL byte. The file's
// real path must lie inside `root`: a symbolic link may point elsewhere in
// the folder but not out of it. Names starting with "." (lock and working
// files, or a home folder's settings when that is the folder served) are
// not served.
ServedPath ResolveServedPath(const std::string& root, const std::string& requestPath);

}  // namespace zq48

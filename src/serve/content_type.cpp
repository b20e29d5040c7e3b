#include "serve/content_type.h"

#include <cctype>

namespace zq48 {

std::string ContentTypeOf(const std::string& fileName) {
  const std::size_t slash = fileName.rfind('/');
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "application/octet-stream";
  std::string extension = fileName.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

  struct Known {
    const char* extension;
    const char* type;
  };
  static constexpr Known kKnown[] = {
      {"html", "text/html; charset=utf-8"},
      {"htm", "text/html; charset=utf-8"},
      {"js", "text/javascript; charset=utf-8"},
      {"css", "text/css; charset=utf-8"},
      {"jar", "application/java-archive"},
      {"gif", "image/gif"},
      {"png", "image/png"},
      {"jpg", "image/jpeg"},
      {"jpeg", "image/jpeg"},
      {"zq48", "application/octet-stream"},  // stream files and the metafile
  };
  for (const Known& known : kKnown)
    if (extension == known.extension) return known.type;
  return "application/octet-stream";
}

}  // namespace zq48

// The job file reader (and the JSON reader under it) on any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "encode/job_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto read = zq48::ParseJobFile(text, "/jobs");
  // What was read must write and read back.
  if (const auto* job = std::get_if<zq48::JobFile>(&read)) {
    if (!std::holds_alternative<zq48::JobFile>(zq48::ParseJobFile(zq48::JobFileText(*job), "/jobs"))) __builtin_trap();
  }
  return 0;
}

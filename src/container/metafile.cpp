#include "container/metafile.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "catalog/output_names.h"
#include "container/little_endian.h"
#include "container/whole_file.h"

namespace zq48 {

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  std::uint8_t bytes[4];
  le::Put32(bytes, v);
  out.insert(out.end(), bytes, bytes + 4);
}

bool Write32(WholeFile& f, std::uint32_t v) {
  std::uint8_t bytes[4];
  le::Put32(bytes, v);
  return f.Write(bytes, 4);
}

// Writes the counts and rates, naming the first step that failed.
const char* WriteRates(WholeFile& f, const Metafile& m) {
  if (!Write32(f, static_cast<std::uint32_t>(m.videoRates.size()))) return "Error write metafile 1";
  if (!Write32(f, static_cast<std::uint32_t>(m.audioRates.size()))) return "Error write metafile 2";
  for (std::uint32_t r : m.videoRates)
    if (!Write32(f, r)) return "Error write metafile 3";
  for (std::uint32_t r : m.audioRates)
    if (!Write32(f, r)) return "Error write metafile 4";
  return nullptr;
}

}  // namespace

std::string MetafileName(const std::string& folder, const std::string& sourcePath, bool relative) {
  std::string name = OutputBaseName(sourcePath) + ".meta" + kStreamExtension;
  return relative ? name : folder + name;
}

std::vector<std::uint8_t> EncodeMetafile(const Metafile& m) {
  std::vector<std::uint8_t> out;
  Put32(out, static_cast<std::uint32_t>(m.videoRates.size()));
  Put32(out, static_cast<std::uint32_t>(m.audioRates.size()));
  for (std::uint32_t r : m.videoRates) Put32(out, r);
  for (std::uint32_t r : m.audioRates) Put32(out, r);
  return out;
}

std::optional<std::string> WriteMetafile(const std::string& name, const Metafile& rates) {
  std::optional<WholeFile> f = WholeFile::Create(name);
  if (!f) return "Error create metafile";
  const char* failure = WriteRates(*f, rates);
  if (!failure && !f->Commit()) failure = "Error write metafile 4";
  if (failure) return failure;
  return std::nullopt;
}

std::optional<Metafile> ReadMetafile(const std::string& path, std::string* problem) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
  auto fail = [problem](std::string text) -> std::optional<Metafile> {
    if (problem) *problem = std::move(text);
    return std::nullopt;
  };
  if (!in && !in.eof()) return fail("cannot be read");
  if (bytes.size() < 8) return fail("shorter than its two counts (" + std::to_string(bytes.size()) + " bytes)");
  std::uint64_t nv = le::Get32(bytes.data()), na = le::Get32(bytes.data() + 4);
  std::uint64_t expected = 8 + 4 * (nv + na);
  if (bytes.size() != expected)
    return fail("the counts call for " + std::to_string(expected) + " bytes but the file has " +
                std::to_string(bytes.size()));
  Metafile m;
  for (std::uint64_t i = 0; i < nv; ++i) m.videoRates.push_back(le::Get32(bytes.data() + 8 + 4 * i));
  for (std::uint64_t i = 0; i < na; ++i) m.audioRates.push_back(le::Get32(bytes.data() + 8 + 4 * (nv + i)));
  return m;
}

}  // namespace zq48

#include "encode/metafile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "encode/output_names.h"

#include "container/whole_file.h"

namespace zq48 {

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t Get32(const std::vector<std::uint8_t>& in, std::size_t at) {
  return static_cast<std::uint32_t>(in[at]) | static_cast<std::uint32_t>(in[at + 1]) << 8 |
         static_cast<std::uint32_t>(in[at + 2]) << 16 | static_cast<std::uint32_t>(in[at + 3]) << 24;
}

std::vector<std::uint32_t> Values(const std::vector<std::string>& texts) {
  std::vector<std::uint32_t> out;
  for (const std::string& t : texts) out.push_back(static_cast<std::uint32_t>(std::strtoul(t.c_str(), nullptr, 10)));
  return out;
}

bool Write32(WholeFile& f, std::uint32_t v) {
  std::vector<std::uint8_t> bytes;
  Put32(bytes, v);
  return f.Write(bytes.data(), 4);
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

bool WriteMetafile(JobContext& context, DriverRecord& record, const std::string& sourcePath) {
  const Metafile rates{Values(record.videoBitRates), Values(record.audioBitRates)};
  // The next input file starts with empty lists, whatever happens here.
  record.videoBitRates.clear();
  record.audioBitRates.clear();

  std::string folder = context.state.snapshot.With(
      [](const JobSnapshot& s) { return s.catalog.Settings().destinationFolder(); });
  std::string name = MetafileName(folder, sourcePath, false);
  // Written aside and renamed over the final name when whole: a reader never
  // sees half a metafile, and a failure leaves the earlier one in place.
  std::optional<WholeFile> f = WholeFile::Create(name);
  if (!f) {
    context.notifier.ShowApp("Error create metafile");
    return false;
  }
  const char* failure = WriteRates(*f, rates);
  if (!failure && !f->Commit()) failure = "Error write metafile 4";
  if (failure) {
    context.notifier.ShowApp(failure);
    return false;
  }
  return true;
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
  std::uint64_t nv = Get32(bytes, 0), na = Get32(bytes, 4);
  std::uint64_t expected = 8 + 4 * (nv + na);
  if (bytes.size() != expected)
    return fail("the counts call for " + std::to_string(expected) + " bytes but the file has " +
                std::to_string(bytes.size()));
  Metafile m;
  for (std::uint64_t i = 0; i < nv; ++i) m.videoRates.push_back(Get32(bytes, 8 + 4 * i));
  for (std::uint64_t i = 0; i < na; ++i) m.audioRates.push_back(Get32(bytes, 8 + 4 * (nv + i)));
  return m;
}

}  // namespace zq48

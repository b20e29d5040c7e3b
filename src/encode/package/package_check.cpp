#include "encode/package/package_check.h"

#include <sys/stat.h>

#include <vector>

#include "container/stream_file_reader.h"
#include "encode/package/finish_variant.h"
#include "container/metafile.h"
#include "catalog/output_names.h"

namespace zq48 {

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// One listed stream: there, consistent, and carrying the rate it is listed with.
std::optional<std::string> StreamProblem(const std::string& name, StreamFileKind kind, std::uint32_t rate) {
  std::string error;
  std::optional<StreamFileReport> report = InspectStreamFile(name, kind, &error);
  if (!report) return name + ": " + error;
  if (!report->problems.empty()) return name + ": " + report->problems.front();
  const std::uint32_t headerRate = kind == StreamFileKind::Video ? (report->video ? report->video->bitRate : 0)
                                                                 : (report->audio ? report->audio->bitRate : 0);
  if (headerRate != rate) return name + ": its header gives " + std::to_string(headerRate) + " bps, the metafile " +
                                 std::to_string(rate) + " bps";
  return std::nullopt;
}

}  // namespace

std::optional<std::string> PackageProblem(const std::string& folder, const std::string& sourcePath) {
  const std::string metaName = MetafileName(folder, sourcePath, false);
  if (!IsRegularFile(metaName)) return metaName + " is missing";
  std::string problem;
  std::optional<Metafile> meta = ReadMetafile(metaName, &problem);
  if (!meta) return metaName + ": " + problem;
  if (meta->videoRates.empty() && meta->audioRates.empty()) return metaName + " lists no stream";
  for (std::uint32_t rate : meta->videoRates)
    if (auto p = StreamProblem(FinalVideoName(folder, sourcePath, rate), StreamFileKind::Video, rate)) return p;
  for (std::uint32_t rate : meta->audioRates)
    if (auto p = StreamProblem(FinalAudioName(folder, sourcePath, rate), StreamFileKind::Audio, rate)) return p;
  const std::string page = folder + OutputBaseName(sourcePath) + ".html";
  if (!IsRegularFile(page)) return page + " is missing";
  return std::nullopt;
}

}  // namespace zq48

#include "cli/inspect_command.h"

#include <cinttypes>

#include "cli/json_documents.h"
#include "container/stream_file_reader.h"
#include "container/metafile.h"

namespace zq48::cli {

namespace {

void PrintReport(std::FILE* out, const std::string& path, const StreamFileReport& r) {
  bool video = r.kind == StreamFileKind::Video;
  std::fprintf(out, "file: %s\n", path.c_str());
  std::fprintf(out, "kind: %s\n", video ? "video" : "audio");
  std::fprintf(out, "file size: %" PRIu64 "\n", r.fileSize);
  if (r.fileOutput) {
    std::fprintf(out, "version: %u\n", r.fileOutput->version);
    std::fprintf(out, "duration_us: %u\n", r.fileOutput->durationUs);
    std::fprintf(out, "data_size: %u\n", r.fileOutput->dataSize);
  }
  if (r.video) {
    std::fprintf(out, "frame_rate_x1e6: %u\n", r.video->frameRateX1e6);
    std::fprintf(out, "width: %u\nheight: %u\n", r.video->width, r.video->height);
    std::fprintf(out, "bit_rate: %u\n", r.video->bitRate);
  }
  if (r.audio) {
    std::fprintf(out, "version: %u\n", r.audio->version);
    std::fprintf(out, "bit_rate: %u\n", r.audio->bitRate);
    std::fprintf(out, "data_size: %u\n", r.audio->dataSize);
  }
  std::fprintf(out, "payload: %" PRIu64 " bytes at offset %" PRIu64 "\n", r.payloadSize,
               r.payloadOffset);
  if (r.placeholders) std::fprintf(out, "headers: placeholders\n");
  for (const std::string& problem : r.problems) std::fprintf(out, "problem: %s\n", problem.c_str());
  std::fprintf(out, "consistent: %s\n", r.problems.empty() ? "yes" : "no");
}

bool IsMetafile(const std::string& path) {
  const std::string tail = ".meta.zq48";
  return path.size() >= tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
}

void PrintRates(std::FILE* out, const char* name, const std::vector<std::uint32_t>& rates) {
  std::fprintf(out, "%s:", name);
  for (std::uint32_t r : rates) std::fprintf(out, " %u", r);
  std::fputc('\n', out);
}

// A metafile: its two counts and rates. Returns false when it is not one.
bool InspectMetafile(std::FILE* out, const std::string& path) {
  std::string problem;
  std::optional<Metafile> m = ReadMetafile(path, &problem);
  std::fprintf(out, "file: %s\nkind: metafile\n", path.c_str());
  if (!m) {
    std::fprintf(out, "problem: %s\nconsistent: no\n", problem.c_str());
    return false;
  }
  std::fprintf(out, "video count: %zu\naudio count: %zu\n", m->videoRates.size(), m->audioRates.size());
  PrintRates(out, "video rates", m->videoRates);
  PrintRates(out, "audio rates", m->audioRates);
  std::fprintf(out, "consistent: yes\n");
  return true;
}

// The whole --inspect run as one JSON document: a file that cannot be read
// is listed with its error.
int InspectJson(const CliOptions& options, std::FILE* out) {
  int status = 0;
  std::vector<std::string> files;
  for (const std::string& path : options.files) {
    std::string problem;
    if (IsMetafile(path)) {
      if (std::optional<Metafile> m = ReadMetafile(path, &problem)) {
        files.push_back(MetafileJson(path, *m).Text());
        continue;
      }
      files.push_back(
          JsonObject().Add("file", path).Add("kind", "metafile").Add("error", problem).Add("consistent", false).Text());
      status = 1;
      continue;
    }
    auto report = InspectStreamFile(path, StreamFileKindOfName(path), &problem);
    if (!report) {
      files.push_back(JsonObject().Add("file", path).Add("error", problem).Add("consistent", false).Text());
      status = 1;
      continue;
    }
    files.push_back(StreamReportJson(path, *report).Text());
    if (!report->problems.empty()) status = 1;
  }
  std::fprintf(out, "%s\n", JsonObject().AddRaw("files", JsonArray(files)).Text().c_str());
  return status;
}

}  // namespace

int RunInspect(const CliOptions& options, std::FILE* out) {
  if (options.json) return InspectJson(options, out);
  int status = 0;
  bool first = true;
  for (const std::string& path : options.files) {
    if (IsMetafile(path)) {
      if (!first) std::fputc('\n', out);
      first = false;
      if (!InspectMetafile(out, path)) status = 1;
      continue;
    }
    std::string error;
    auto report = InspectStreamFile(path, StreamFileKindOfName(path), &error);
    if (!report) {
      std::fprintf(stderr, "zq48enc: %s: %s\n", path.c_str(), error.c_str());
      status = 1;
      continue;
    }
    if (!first) std::fputc('\n', out);
    first = false;
    PrintReport(out, path, *report);
    if (!report->problems.empty()) status = 1;
  }
  return status;
}

}  // namespace zq48::cli

#include "encode/job_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "container/whole_file.h"
#include "core/json_reader.h"
#include "core/json_writer.h"
#include "encode/settings_checks.h"

namespace zq48 {

namespace {

using Kind = JsonValue::Kind;
using Problem = std::optional<JobFileError>;

constexpr long long kLargestWhole = 1'000'000;

std::string Quoted(const char* key) { return std::string("\"") + key + "\""; }

JobFileError At(const JsonValue& value, std::string text) { return {value.line(), std::move(text)}; }

// A path of the job file: relative ones are taken from the job file's folder.
std::string Resolve(const std::string& folder, const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  return (std::filesystem::path(folder) / path).lexically_normal().string();
}

// ---- typed members: each leaves `out` alone when the key is left out ----

Problem ReadWhole(const JsonValue& object, const char* key, long long low, long long high, std::optional<long long>& out) {
  const JsonValue* v = object.Find(key);
  if (!v) return std::nullopt;
  std::optional<long long> n = v->Whole();
  if (!n || *n < low || *n > high)
    return At(*v, Quoted(key) + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high));
  out = n;
  return std::nullopt;
}

Problem ReadReal(const JsonValue& object, const char* key, std::optional<double>& out) {
  const JsonValue* v = object.Find(key);
  if (!v) return std::nullopt;
  if (!v->Double()) return At(*v, Quoted(key) + " must be a number");
  out = v->Double();
  return std::nullopt;
}

Problem ReadFloat(const JsonValue& object, const char* key, std::optional<float>& out) {
  const JsonValue* v = object.Find(key);
  if (!v) return std::nullopt;
  if (!v->Float()) return At(*v, Quoted(key) + " must be a number");
  out = v->Float();
  return std::nullopt;
}

Problem ReadText(const JsonValue& object, const char* key, bool nullAllowed, std::optional<std::string>& out) {
  const JsonValue* v = object.Find(key);
  if (!v || (nullAllowed && v->IsNull())) return std::nullopt;
  if (v->kind() != Kind::String) return At(*v, Quoted(key) + (nullAllowed ? " must be a text or null" : " must be a text"));
  out = v->Text();
  return std::nullopt;
}

Problem ReadCrop(const JsonValue& object, const char* key, std::optional<Crop>& out) {
  std::optional<std::string> text;
  if (Problem p = ReadText(object, key, false, text)) return p;
  if (!text) return std::nullopt;
  out = ParseCrop(*text, ':');
  if (!out) return At(*object.Find(key), Quoted(key) + " must be \"LEFT:RIGHT:TOP:BOTTOM\" in pixels");
  return std::nullopt;
}

// The line of the first of these keys the object has, else the object's own.
int LineOf(const JsonValue& object, std::initializer_list<const char*> keys) {
  for (const char* key : keys)
    if (const JsonValue* v = object.Find(key)) return v->line();
  return object.line();
}

// A time range and a crop as the time range dialog checks them; the files'
// sizes are checked once they are probed.
Problem CheckRangeAndCrop(const JsonValue& object, const char* beginKey, const char* endKey,
                          std::optional<double> begin, std::optional<double> end, std::optional<Crop> crop) {
  const InputCatalog none;
  RangeAndCrop times{begin.value_or(0), end.value_or(0)};
  if (auto text = ValidateTimeRangeAndCrop(times, none)) return JobFileError{LineOf(object, {beginKey, endKey}), *text};
  const Crop c = crop.value_or(Crop{});
  RangeAndCrop margins{0, 0, c.left, c.right, c.top, c.bottom};
  if (auto text = ValidateTimeRangeAndCrop(margins, none)) return JobFileError{LineOf(object, {"crop"}), *text};
  return std::nullopt;
}

// ---- variants ----

Problem ReadVariantWholes(const JsonValue& object, VariantFields& f) {
  std::optional<long long> video, audio;
  if (Problem p = ReadWhole(object, "video", -kLargestWhole, kLargestWhole, video)) return p;
  if (Problem p = ReadWhole(object, "audio", -kLargestWhole, kLargestWhole, audio)) return p;
  f.videoKbps = static_cast<int>(video.value_or(0));
  f.audioKbps = static_cast<int>(audio.value_or(0));
  for (const std::string& key : RequiredVariantKeys(f.videoKbps, f.audioKbps))
    if (!object.Find(key)) return At(object, "the variant has no \"" + key + "\"");
  struct Whole {
    const char* key;
    std::optional<int>* field;
  };
  for (Whole w : {Whole{"w", &f.width}, Whole{"h", &f.height}, Whole{"rate", &f.sampleRate},
                  Whole{"channels", &f.channels}}) {
    std::optional<long long> n;
    if (Problem p = ReadWhole(object, w.key, -kLargestWhole, kLargestWhole, n)) return p;
    if (n) *w.field = static_cast<int>(*n);
  }
  return std::nullopt;
}

Problem ReadVariant(const JsonValue& object, JobVariant& out) {
  if (object.kind() != Kind::Object) return At(object, "a variant must be an object {...}");
  out.line = object.line();
  VariantFields& f = out.fields;
  if (Problem p = ReadVariantWholes(object, f)) return p;
  std::optional<float> volume;
  if (Problem p = ReadReal(object, "fps", f.frameRate)) return p;
  if (Problem p = ReadFloat(object, "volume", volume)) return p;
  if (Problem p = ReadReal(object, "begin", f.begin)) return p;
  if (Problem p = ReadReal(object, "end", f.end)) return p;
  if (Problem p = ReadCrop(object, "crop", f.crop)) return p;
  if (volume) f.volume = *volume;
  if (auto text = CheckVariantFields(f)) return At(object, *text);
  return CheckRangeAndCrop(object, "begin", "end", f.begin, f.end, f.crop);
}

// ---- files ----

Problem ReadFileOptions(const JsonValue& object, JobFileEntry& entry) {
  if (Problem p = ReadFloat(object, "volume", entry.volume)) return p;
  if (entry.volume && *entry.volume != 0 && (*entry.volume < 0.5f || *entry.volume > 1.5f))
    return At(*object.Find("volume"), "\"volume\" must be from 0.5 to 1.5 (0 for a file without sound)");
  if (Problem p = ReadReal(object, "begin_s", entry.begin)) return p;
  if (Problem p = ReadReal(object, "end_s", entry.end)) return p;
  if (Problem p = ReadCrop(object, "crop", entry.crop)) return p;
  return CheckRangeAndCrop(object, "begin_s", "end_s", entry.begin, entry.end, entry.crop);
}

Problem ReadEntry(const JsonValue& object, const std::string& folder, JobFileEntry& entry) {
  if (object.kind() != Kind::Object) return At(object, "a file must be an object {...}");
  entry.line = object.line();
  std::optional<std::string> path;
  if (Problem p = ReadText(object, "path", false, path)) return p;
  if (!path || path->empty()) return At(object, "the file has no \"path\"");
  entry.path = Resolve(folder, *path);
  if (Problem p = ReadFileOptions(object, entry)) return p;
  const JsonValue* variants = object.Find("variants");
  if (!variants || variants->IsNull()) return std::nullopt;
  if (variants->kind() != Kind::Array) return At(*variants, "\"variants\" must be a list [...]");
  entry.variants.emplace();
  for (const JsonValue& item : variants->Items()) {
    JobVariant variant;
    if (Problem p = ReadVariant(item, variant)) return p;
    entry.variants->push_back(std::move(variant));
  }
  return std::nullopt;
}

// ---- the settings ----

Problem ReadSettings(const JsonValue& root, const std::string& folder, JobFile& job) {
  std::optional<std::string> destination, title, end;
  if (Problem p = ReadText(root, "destination", true, destination)) return p;
  if (Problem p = ReadText(root, "title_image", true, title)) return p;
  if (Problem p = ReadText(root, "end_image", true, end)) return p;
  job.destination = Resolve(folder, destination.value_or(""));
  job.titleImage = Resolve(folder, title.value_or(""));
  job.endImage = Resolve(folder, end.value_or(""));

  std::optional<long long> begin, endRate, quality;
  if (Problem p = ReadWhole(root, "range_begin_kbps", kRangeMin, kRangeMax, begin)) return p;
  if (Problem p = ReadWhole(root, "range_end_kbps", kRangeMin, kRangeMax, endRate)) return p;
  if (Problem p = ReadWhole(root, "quality", 0, 100, quality)) return p;
  job.rangeBegin = static_cast<std::uint32_t>(begin.value_or(kDefaultRangeBegin));
  job.rangeEnd = static_cast<std::uint32_t>(endRate.value_or(kDefaultRangeEnd));
  job.quality = static_cast<int>(quality.value_or(kDefaultQuality));
  if (const JsonValue* page = root.Find("web_page")) {
    if (page->kind() != Kind::Bool) return At(*page, "\"web_page\" must be true or false");
    job.webPage = page->Bool();
  }
  return std::nullopt;
}

Problem ReadJob(const JsonValue& root, const std::string& folder, JobFile& job) {
  if (root.kind() != Kind::Object) return At(root, "a job file is one object {...}");
  const JsonValue* version = root.Find("version");
  if (!version) return At(root, "this is no job file: it has no \"version\"");
  if (version->Whole() != kJobFileVersion)
    return At(*version, "version " + version->Text() + " of the job file is not known here (this program reads version 1)");
  if (Problem p = ReadSettings(root, folder, job)) return p;
  const JsonValue* files = root.Find("files");
  if (!files) return At(root, "the job file has no \"files\"");
  if (files->kind() != Kind::Array) return At(*files, "\"files\" must be a list [...]");
  for (const JsonValue& item : files->Items()) {
    JobFileEntry entry;
    if (Problem p = ReadEntry(item, folder, entry)) return p;
    job.files.push_back(std::move(entry));
  }
  return std::nullopt;
}

// ---- writing ----

std::string CropText(int left, int right, int top, int bottom) {
  return JsonString(std::to_string(left) + ":" + std::to_string(right) + ":" + std::to_string(top) + ":" +
                    std::to_string(bottom));
}

std::string PathOrNull(const std::string& path) { return path.empty() ? "null" : JsonString(path); }

// One line: {"w": ..., ...}, without the keys the variant does not need.
std::string VariantLine(const VariantFields& v) {
  std::string line = "{";
  auto add = [&line](const char* key, const std::string& json) {
    if (line.size() > 1) line += ", ";
    line += JsonString(key) + ": " + json;
  };
  if (v.width) add("w", std::to_string(*v.width));
  if (v.height) add("h", std::to_string(*v.height));
  if (v.frameRate) add("fps", JsonNumber(*v.frameRate));
  add("video", std::to_string(v.videoKbps));
  add("audio", std::to_string(v.audioKbps));
  if (v.sampleRate) add("rate", std::to_string(*v.sampleRate));
  if (v.channels) add("channels", std::to_string(*v.channels));
  if (v.volume) add("volume", JsonFloat(static_cast<float>(*v.volume)));
  if (v.begin) add("begin", JsonNumber(*v.begin));
  if (v.end) add("end", JsonNumber(*v.end));
  if (v.crop) add("crop", CropText(v.crop->left, v.crop->right, v.crop->top, v.crop->bottom));
  return line + "}";
}

void WriteEntry(std::ostringstream& out, const JobFileEntry& e, bool last) {
  out << "    {\n      \"path\": " << JsonString(e.path);
  if (e.volume) out << ",\n      \"volume\": " << JsonFloat(*e.volume);
  if (e.begin) out << ",\n      \"begin_s\": " << JsonNumber(*e.begin);
  if (e.end) out << ",\n      \"end_s\": " << JsonNumber(*e.end);
  if (e.crop) out << ",\n      \"crop\": " << CropText(e.crop->left, e.crop->right, e.crop->top, e.crop->bottom);
  if (e.variants) {
    out << ",\n      \"variants\": [";
    for (std::size_t i = 0; i < e.variants->size(); ++i)
      out << (i ? ",\n        " : "\n        ") << VariantLine((*e.variants)[i].fields);
    out << (e.variants->empty() ? "]" : "\n      ]");
  }
  out << "\n    }" << (last ? "\n" : ",\n");
}

// A variant as the job file gives it: only what the file can use. Without
// the picture or the sound the fields of the other are all there is.
VariantFields FieldsOf(const OutputFilter& f, const MediaFacts& facts) {
  VariantFields v;
  v.videoKbps = f.videoOn && facts.hasVideo ? f.videoBitRate : 0;
  v.audioKbps = f.audioOn && facts.hasAudio ? f.audioBitRate : 0;
  if (v.videoKbps != 0) {
    v.width = f.width;
    v.height = f.height;
    v.frameRate = f.frameRate;
  }
  if (v.audioKbps != 0) {
    v.sampleRate = f.audioSampleRate;
    v.channels = f.audioChannels;
    v.volume = f.volume;
  }
  v.begin = f.beginTime;
  v.end = f.endTime;
  v.crop = Crop{f.cropLeft, f.cropRight, f.cropTop, f.cropBottom};
  return v;
}

}  // namespace

std::variant<JobFile, JobFileError> ParseJobFile(std::string_view text, const std::string& folder) {
  std::variant<JsonValue, JsonError> document = ParseJson(text);
  if (const JsonError* error = std::get_if<JsonError>(&document)) return JobFileError{error->line, error->text};
  JobFile job;
  if (Problem p = ReadJob(std::get<JsonValue>(document), folder, job)) return *p;
  return job;
}

std::variant<JobFile, JobFileError> ReadJobFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return JobFileError{0, "it cannot be read"};
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return JobFileError{0, "it cannot be read"};
  const std::string folder = std::filesystem::absolute(std::filesystem::path(path)).parent_path().string();
  return ParseJobFile(text, folder);
}

std::string JobFileText(const JobFile& job) {
  std::ostringstream out;
  out << "{\n  \"version\": " << kJobFileVersion << ",\n"
      << "  \"destination\": " << JsonString(job.destination) << ",\n"
      << "  \"range_begin_kbps\": " << job.rangeBegin << ",\n"
      << "  \"range_end_kbps\": " << job.rangeEnd << ",\n"
      << "  \"quality\": " << job.quality << ",\n"
      << "  \"title_image\": " << PathOrNull(job.titleImage) << ",\n"
      << "  \"end_image\": " << PathOrNull(job.endImage) << ",\n"
      << "  \"web_page\": " << (job.webPage ? "true" : "false") << ",\n"
      << "  \"files\": [" << (job.files.empty() ? "" : "\n");
  for (std::size_t i = 0; i < job.files.size(); ++i) WriteEntry(out, job.files[i], i + 1 == job.files.size());
  out << (job.files.empty() ? "]\n}\n" : "  ]\n}\n");
  return out.str();
}

// Paths are kept absolute, so that the job reads the same wherever it goes.
std::string Absolute(const std::string& path) {
  if (path.empty()) return path;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

JobFile JobFileOf(const InputCatalog& catalog) {
  const EncodeSettings& s = catalog.Settings();
  JobFile job;
  job.destination = Absolute(s.destinationFolder());
  job.rangeBegin = s.rangeBegin;
  job.rangeEnd = s.rangeEnd;
  job.quality = s.quality;
  job.titleImage = s.titleImageOn ? Absolute(s.titleImagePath) : "";
  job.endImage = s.endImageOn ? Absolute(s.endImagePath) : "";
  job.webPage = s.webPageOn;
  for (const std::string& path : catalog.InputPaths()) {
    const FileOptions& o = catalog.Options(path);
    JobFileEntry e;
    e.path = Absolute(path);
    e.volume = o.volume;
    e.begin = o.beginTime;
    e.end = o.endTime;
    e.crop = Crop{o.cropLeft, o.cropRight, o.cropTop, o.cropBottom};
    if (catalog.IsCustomFilters(path)) {
      e.variants.emplace();
      for (std::size_t i = 0; i < catalog.FilterCount(path); ++i)
        e.variants->push_back({0, FieldsOf(*catalog.FilterAt(path, i), catalog.Facts(path))});
    }
    job.files.push_back(std::move(e));
  }
  return job;
}

std::optional<std::string> WriteJobFile(const std::string& path, const InputCatalog& catalog) {
  switch (WriteWholeFile(path, JobFileText(JobFileOf(catalog)))) {
    case WholeFileWrite::Written: return std::nullopt;
    case WholeFileWrite::NotCreated: return "it cannot be created in its folder";
    case WholeFileWrite::NotWritten: return "it could not be written whole";
  }
  return "it could not be written";
}

}  // namespace zq48

#include "cli/reporting_outputs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "encode/package/finish_variant.h"
#include "encode/package/package_resources.h"

namespace zq48::cli {

namespace {

std::string FolderOf(JobContext& context) {
  return context.state.snapshot.With(
      [](const JobSnapshot& s) { return s.catalog.Settings().destinationFolder(); });
}

std::uint32_t NewRate(const std::vector<std::string>& rates, std::size_t before) {
  return rates.size() > before ? static_cast<std::uint32_t>(std::strtoul(rates.back().c_str(), nullptr, 10)) : 0;
}

}  // namespace

std::string ReportingOutputs::CurrentPath() const {
  const std::size_t index = static_cast<std::size_t>(fileIndex_.load());
  return index < catalog_.InputPathCount() ? catalog_.InputPathAt(index) : std::string();
}

bool ReportingOutputs::FinishVariant(JobContext& context, DriverRecord& record, const OutputFilter& filter) {
  const std::size_t videoBefore = record.videoBitRates.size(), audioBefore = record.audioBitRates.size();
  const bool ok = inner_.FinishVariant(context, record, filter);

  VariantOutcome v;
  v.path = CurrentPath();
  v.fileIndex = fileIndex_;
  v.variantIndex = variantIndex_;
  v.filter = filter;
  v.ok = ok;
  if (ok) {
    const std::string folder = FolderOf(context);
    v.videoRate = NewRate(record.videoBitRates, videoBefore);
    v.audioRate = NewRate(record.audioBitRates, audioBefore);
    if (v.videoRate) v.videoFile = FinalVideoName(folder, v.path, v.videoRate);
    if (v.audioRate) v.audioFile = FinalAudioName(folder, v.path, v.audioRate);
  }
  (ok ? finished_ : failed_)++;
  report_.Variant(v);
  ++variantIndex_;
  return ok;
}

bool ReportingOutputs::WriteWebPage(JobContext& context, const DriverRecord& record, const std::string& sourcePath) {
  return inner_.WriteWebPage(context, record, sourcePath);
}

// The metafile is the file's last step: what comes next belongs to the next file.
bool ReportingOutputs::WriteMetafile(JobContext& context, DriverRecord& record, const std::string& path) {
  const bool ok = inner_.WriteMetafile(context, record, path);
  variantIndex_ = 0;
  ++fileIndex_;
  return ok;
}

bool ReportingOutputs::WriteResourceFile(JobContext& context, PackageResource resource) {
  return inner_.WriteResourceFile(context, resource);  // written whole, through a temporary file
}

void JobMessages::Show(const Message& message) {
  const int file = outputs_.fileIndex();
  {
    std::lock_guard lock(mutex_);
    if (std::find(filesWithMessages_.begin(), filesWithMessages_.end(), file) == filesWithMessages_.end())
      filesWithMessages_.push_back(file);
  }
  report_.JobMessage(outputs_.CurrentPath(), outputs_.variantIndex(), message);
}

bool JobMessages::Ask(const std::string& text, const std::string& caption) {
  report_.Question(text, caption);
  return true;
}

bool JobMessages::FileHadMessage(int fileIndex) const {
  std::lock_guard lock(mutex_);
  return std::find(filesWithMessages_.begin(), filesWithMessages_.end(), fileIndex) != filesWithMessages_.end();
}

}  // namespace zq48::cli

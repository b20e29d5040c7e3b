#include "encode/variant_result.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "encode/package/finish_variant.h"

namespace zq48 {

namespace {

std::uint32_t AddedRate(const std::vector<std::uint32_t>& rates, std::size_t before) {
  return rates.size() > before ? rates.back() : 0;
}

std::uint64_t SizeOf(const std::string& file) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  return error ? 0 : size;
}

}  // namespace

RecordedRates RecordedRatesOf(const DriverRecord& record) {
  return {record.videoBitRates.size(), record.audioBitRates.size()};
}

VariantResult VariantResultOf(const std::string& folder, int fileIndex, const std::string& path,
                              const OutputFilter& filter, bool finished, const DriverRecord& record,
                              RecordedRates before, const VideoQuality& quality) {
  VariantResult r;
  r.fileIndex = fileIndex;
  r.path = path;
  r.filter = filter;
  r.finished = finished;
  if (!finished) return r;
  r.videoRate = AddedRate(record.videoBitRates, before.video);
  r.audioRate = AddedRate(record.audioBitRates, before.audio);
  if (r.videoRate) {
    r.videoFile = FinalVideoName(folder, path, r.videoRate);
    r.videoBytes = SizeOf(r.videoFile);
    r.quality = quality;
  }
  if (r.audioRate) {
    r.audioFile = FinalAudioName(folder, path, r.audioRate);
    r.audioBytes = SizeOf(r.audioFile);
  }
  return r;
}

}  // namespace zq48

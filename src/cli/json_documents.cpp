#include "cli/json_documents.h"

#include <filesystem>
#include <system_error>

#include "catalog/output_names.h"

namespace zq48::cli {

namespace {

JsonObject AudioFormatJson(const AudioFormat& format) {
  const WaveFormat& w = format.wave;
  JsonObject o;
  o.Add("subtype", format.subtype)
      .Add("format_tag", w.formatTag)
      .Add("channels", w.channels)
      .Add("samples_per_second_hz", w.samplesPerSec)
      .Add("average_bytes_per_second", w.avgBytesPerSec)
      .Add("block_align_bytes", w.blockAlign)
      .Add("bits_per_sample", w.bitsPerSample);
  return o;
}

std::string RatesJson(const std::vector<std::uint32_t>& rates) {
  std::vector<std::string> items;
  for (std::uint32_t r : rates) items.push_back(std::to_string(r));
  return JsonArray(items);
}

}  // namespace

JsonObject FactsJson(const std::string& path, const MediaFacts& f) {
  JsonObject o;
  o.Add("file", path).Add("source_kind", f.sourceKind);
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error) o.Add("file_size_bytes", static_cast<std::uint64_t>(size));
  o.Add("width_px", f.width)
      .Add("height_px", f.height)
      .Add("has_audio", f.hasAudio)
      .Add("has_video", f.hasVideo)
      .Add("frame_rate_fps", f.frameRate)
      .Add("video_duration_s", f.videoDuration)
      .Add("audio_duration_s", f.audioDuration)
      .Add("bit_rate_bps", f.bitRate)
      .Add("size_text", f.sizeText)
      .Add("duration_text", f.durationText)
      .Add("modified_date", f.modifiedDate)
      .Add("created_date", f.createdDate);
  if (f.audioFormat) o.Add("audio_format", AudioFormatJson(*f.audioFormat));
  return o;
}

JsonObject FilterJson(const OutputFilter& f) {
  JsonObject o;
  o.Add("tag", VariantTag(f))
      .Add("video_on", f.videoOn != 0)
      .Add("audio_on", f.audioOn != 0)
      .Add("width_px", f.width)
      .Add("height_px", f.height)
      .Add("frame_rate_fps", f.frameRate)
      .Add("video_bit_rate_kbps", f.videoBitRate)
      .Add("audio_bit_rate_kbps", f.audioBitRate)
      .Add("audio_sample_rate_hz", f.audioSampleRate)
      .Add("audio_channels", f.audioChannels)
      .Add("volume_factor", static_cast<double>(f.volume))
      .Add("begin_s", f.beginTime)
      .Add("end_s", f.endTime)
      .Add("crop_left_px", f.cropLeft)
      .Add("crop_right_px", f.cropRight)
      .Add("crop_top_px", f.cropTop)
      .Add("crop_bottom_px", f.cropBottom);
  return o;
}

JsonObject StreamReportJson(const std::string& path, const StreamFileReport& r) {
  JsonObject o;
  o.Add("file", path)
      .Add("kind", r.kind == StreamFileKind::Video ? "video" : "audio")
      .Add("file_size_bytes", r.fileSize);
  if (r.fileOutput)
    o.Add("version", r.fileOutput->version)
        .Add("duration_us", r.fileOutput->durationUs)
        .Add("data_size_bytes", r.fileOutput->dataSize);
  if (r.video)
    o.Add("frame_rate_fps_x1e6", r.video->frameRateX1e6)
        .Add("width_px", static_cast<int>(r.video->width))
        .Add("height_px", static_cast<int>(r.video->height))
        .Add("bit_rate_bps", r.video->bitRate);
  if (r.audio)
    o.Add("version", r.audio->version)
        .Add("bit_rate_bps", r.audio->bitRate)
        .Add("data_size_bytes", r.audio->dataSize);
  std::vector<std::string> problems;
  for (const std::string& p : r.problems) problems.push_back(JsonString(p));
  o.Add("payload_offset_bytes", r.payloadOffset)
      .Add("payload_size_bytes", r.payloadSize)
      .Add("placeholders", r.placeholders)
      .AddRaw("problems", JsonArray(problems))
      .Add("consistent", r.problems.empty());
  return o;
}

JsonObject MetafileJson(const std::string& path, const Metafile& m) {
  JsonObject o;
  o.Add("file", path)
      .Add("kind", "metafile")
      .Add("video_count", static_cast<std::uint64_t>(m.videoRates.size()))
      .Add("audio_count", static_cast<std::uint64_t>(m.audioRates.size()))
      .AddRaw("video_rates_bps", RatesJson(m.videoRates))
      .AddRaw("audio_rates_bps", RatesJson(m.audioRates))
      .Add("consistent", true);
  return o;
}

}  // namespace zq48::cli

#include "encode/package/finish_variant.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "catalog/output_names.h"

namespace zq48 {

namespace {

constexpr const char* kTooLarge =
    "The stream is 4 GiB or larger: its size does not fit the stream header.\n"
    "Encode a shorter range or a lower bit rate.";
constexpr const char* kTooLong =
    "The range to encode is longer than 4294 seconds: its duration does not fit the stream "
    "header.\nEncode a shorter range.";

std::string FinalName(const std::string& folder, const std::string& sourcePath,
                      std::uint32_t bitRate, const char* kind) {
  char rate[24];
  std::snprintf(rate, sizeof rate, "%u", bitRate);
  return folder + OutputBaseName(sourcePath) + "_" + rate + "bps." + kind + kStreamExtension;
}

// What the catalog snapshot says of the variant's input file.
struct SourceFacts {
  std::string folder;
  bool hasAudio = false;
  bool hasVideo = false;
  double fileSeconds = 0.0;   // L
  double audioSeconds = 0.0;  // La
  std::uint32_t sampleRate = 0;
  bool hasAudioFormat = false;
};

SourceFacts ReadSourceFacts(const JobState& state, const std::string& path) {
  return state.snapshot.With([&path](const JobSnapshot& s) {
    const MediaFacts& f = s.catalog.Facts(path);
    SourceFacts out;
    out.folder = s.catalog.Settings().destinationFolder();
    out.hasAudio = f.hasAudio;
    out.hasVideo = f.hasVideo;
    out.fileSeconds = f.videoDuration;
    out.audioSeconds = f.audioDuration;
    out.hasAudioFormat = f.audioFormat.has_value();
    out.sampleRate = f.audioFormat ? f.audioFormat->wave.samplesPerSec : 0;
    return out;
  });
}

// Payload bytes of an open stream file behind `headers` bytes of headers.
// Nothing (after "Error reading file size") when the size cannot be read.
std::optional<std::uint64_t> Payload(Notifier& notifier, StreamFile& file, std::uint64_t headers) {
  std::optional<std::uint64_t> size = file.Size();
  if (!size) {
    notifier.Show({"Error reading file size", "ZQ48", Presentation::AppBox});
    file.Close();
    return std::nullopt;
  }
  return *size > headers ? *size - headers : 0;
}

std::uint32_t Rate(std::uint64_t bytes, double seconds) {
  if (!(seconds > 0)) return 0;
  double rate = std::trunc(static_cast<double>(bytes) / seconds * 8);
  return rate >= 4294967295.0 ? UINT32_MAX : static_cast<std::uint32_t>(rate);
}

// A stream whose writes failed (a full disk, an I/O error) holds less than
// was encoded, whatever its size: the variant fails whole, its working files
// go, and nothing of it is renamed or listed.
bool StreamsWhole(VariantJob& variant, bool video, bool audio) {
  VariantStreams& streams = variant.streams;
  auto broken = [](StreamFile& file) { return file.IsOpen() && (file.WriteFailed() || !file.Sync()); };
  const bool videoBroken = video && broken(streams.video);
  const bool audioBroken = audio && broken(streams.audio);
  if (!videoBroken && !audioBroken) return true;
  variant.notifier().ShowApp(IncompleteStreamText(videoBroken ? streams.videoPath : streams.audioPath));
  streams.video.Close();
  streams.audio.Close();
  streams.minimalAudio.Close();
  for (const std::string* name : {&streams.videoPath, &streams.audioPath, &streams.minimalAudioPath})
    if (!name->empty()) std::remove(name->c_str());
  return false;
}

void CloseAudio(VariantStreams& streams) {
  streams.audio.Close();
  streams.minimalAudio.Close();
}

}  // namespace

std::string IncompleteStreamText(const std::string& workingPath) {
  return "Could not write the whole stream file " + workingPath +
         " (is the disk full?).\nThis variant is left out; the job goes on with the next one.";
}

std::string FinalVideoName(const std::string& folder, const std::string& sourcePath,
                           std::uint32_t bitRate) {
  return FinalName(folder, sourcePath, bitRate, "video");
}

std::string FinalAudioName(const std::string& folder, const std::string& sourcePath,
                           std::uint32_t bitRate) {
  return FinalName(folder, sourcePath, bitRate, "audio");
}

std::optional<std::uint32_t> VariantDurationUs(const OutputFilter& filter, double fileSeconds,
                                               std::uint32_t audioSeconds, bool wholeSeconds) {
  double us;
  if (filter.beginTime != 0 || filter.endTime != 0) {
    // The general decode cuts its range to whole seconds; the header says
    // what the payload then holds.
    auto bound = [wholeSeconds](double t) { return wholeSeconds ? std::trunc(t) : t; };
    double b = std::min(bound(filter.beginTime), fileSeconds);
    double e = std::min(bound(filter.endTime), fileSeconds);
    us = std::trunc((e - b) * 1'000'000);
  } else if (audioSeconds > 0) {
    us = static_cast<double>(audioSeconds) * 1'000'000;
  } else {
    us = std::trunc(fileSeconds * 1'000'000);
  }
  if (us > 4294967295.0) return std::nullopt;
  return us > 0 ? static_cast<std::uint32_t>(us) : 0u;
}

// Measures the variant's two stream files, rewrites their headers with the
// duration and bit rates, closes them and gives them their final names, and
// records the rates for the metafile. A stream that is off or got no payload
// keeps its temporary name. Every failure is reported before false is returned.
bool PackageOutputs::FinishVariant(JobContext& context, VariantJob& variant, DriverRecord& record) {
  VariantStreams& streams = variant.streams;
  Notifier& notifier = variant.notifier();
  const OutputFilter& filter = variant.plan.filter;
  const std::string& path = variant.plan.sourcePath;
  const SourceFacts src = ReadSourceFacts(context.state, path);
  const bool general = record.sourceKind == kSourceGeneral;
  bool videoOn = filter.videoOn && src.hasVideo;
  bool audioOn = filter.audioOn && src.hasAudio;
  if (!StreamsWhole(variant, videoOn, audioOn)) return false;

  std::uint64_t videoBytes = 0;
  if (videoOn) {
    videoBytes = Payload(notifier, streams.video, kVideoHeadersSize).value_or(0);
    videoOn = videoBytes > 0;
  }
  std::uint64_t audioBytes = 0;
  std::uint32_t audioSeconds = 0;
  if (audioOn) {
    if (!src.hasAudioFormat) {
      notifier.ShowApp("error input audio property 2");
      streams.video.Close();
      CloseAudio(streams);
      return false;
    }
    audioBytes = Payload(notifier, streams.audio, kAudioHeadersSize).value_or(0);
    audioOn = audioBytes > 0;
    if (general && src.sampleRate > 0)
      audioSeconds = static_cast<std::uint32_t>(streams.audioSamples / src.sampleRate);
  }

  // Sizes and durations are 32 bits wide in the headers: refuse what would wrap.
  std::optional<std::uint32_t> durationUs =
      VariantDurationUs(filter, src.fileSeconds, audioSeconds, general);
  if (videoBytes > UINT32_MAX || audioBytes > UINT32_MAX || !durationUs) {
    notifier.ShowApp(durationUs ? kTooLarge : kTooLong);
    streams.video.Close();
    CloseAudio(streams);
    return false;
  }
  // With a chosen range the streams span the range, not the whole file.
  const bool ranged = filter.beginTime != 0 || filter.endTime != 0;
  const double videoSeconds = ranged ? *durationUs / 1e6 : src.fileSeconds;
  const double soundSeconds = ranged ? *durationUs / 1e6 : src.audioSeconds;

  std::uint32_t videoRate = 0;
  if (videoOn) {
    if (*durationUs != 0)
      videoRate = general && audioSeconds > 0 ? Rate(videoBytes, audioSeconds)
                                              : Rate(videoBytes, videoSeconds);
    const FileOutputHeader fileHeader{kStreamVersion, *durationUs,
                                      static_cast<std::uint32_t>(videoBytes)};
    const VideoHeader videoHeader{FrameRateX1e6(filter.frameRate),
                                  static_cast<std::uint16_t>(filter.width),
                                  static_cast<std::uint16_t>(filter.height), videoRate};
    const int failed = !streams.video.WriteRecordAt(0, Encode(fileHeader))                 ? 1
                       : !streams.video.WriteRecordAt(kHeaderSize, Encode(videoHeader)) ? 2
                                                                                          : 0;
    if (failed) {
      notifier.ShowApp(failed == 1 ? "Could not HEADER_FILE_OUTPUT write to file 2"
                                   : "Could not write HEADER_VIDEO to file");
      streams.video.Close();
      CloseAudio(streams);
      return false;
    }
    // A close can report what earlier writes could not: the stream is not renamed then.
    if (!streams.video.Close()) {
      notifier.ShowApp("Could not close VIDEO file");
      CloseAudio(streams);
      return false;
    }
  }
  streams.video.Close();

  std::uint32_t audioRate = 0;
  if (audioOn) {
    if (*durationUs != 0)
      audioRate = general ? (audioSeconds > 0 ? Rate(audioBytes, audioSeconds) : 0)
                          : Rate(audioBytes, soundSeconds);
    const AudioHeader header{kStreamVersion, audioRate, static_cast<std::uint32_t>(audioBytes)};
    int failed = 0;
    if (!streams.audio.WriteRecordAt(0, Encode(header))) {
      failed = 1;
    } else {
      streams.minimalAudio.Close();
      failed = streams.audio.Close() ? 0 : 2;
    }
    if (failed) {
      notifier.ShowApp(failed == 1 ? "Could not write HEADER_AUDIO to file" : "Could not close AUDIO file");
      CloseAudio(streams);
      return false;
    }
    std::string finalAudio = FinalAudioName(src.folder, path, audioRate);
    std::remove(finalAudio.c_str());
    if (std::rename(streams.audioPath.c_str(), finalAudio.c_str()) != 0) {
      notifier.ShowApp("Could not rename AUDIO file");
      return false;
    }
  }
  CloseAudio(streams);

  std::string finalVideo = FinalVideoName(src.folder, path, videoRate);
  std::remove(finalVideo.c_str());
  if (videoOn && std::rename(streams.videoPath.c_str(), finalVideo.c_str()) != 0) {
    notifier.ShowApp("Could not rename VIDEO file");
    return false;
  }

  if (videoRate != 0) record.videoBitRates.push_back(videoRate);
  if (audioRate != 0) record.audioBitRates.push_back(audioRate);
  return true;
}

}  // namespace zq48

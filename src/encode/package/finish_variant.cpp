#include "encode/package/finish_variant.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>

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

SourceFacts ReadSourceFacts(JobState& state, const std::string& path) {
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
bool StreamsWhole(JobContext& context, bool video, bool audio) {
  JobState& state = context.state;
  const bool videoBroken = video && state.videoFile.With([](VideoFileSlot& s) {
    return s.file.IsOpen() && (s.file.WriteFailed() || !s.file.Sync());
  });
  const bool audioBroken = audio && state.audioFile.With([](AudioFileSlot& s) {
    return s.file.IsOpen() && (s.file.WriteFailed() || !s.file.Sync());
  });
  if (!videoBroken && !audioBroken) return true;
  auto [videoTemp, audioTemp, minimalTemp] = state.variant.With([](const VariantState& v) {
    return std::make_tuple(v.videoTempPath, v.audioTempPath, v.minAudioTempPath);
  });
  context.notifier.ShowApp(IncompleteStreamText(videoBroken ? videoTemp : audioTemp));
  state.videoFile.With([](VideoFileSlot& slot) { slot.file.Close(); });
  state.audioFile.With([](AudioFileSlot& slot) {
    slot.file.Close();
    slot.minimal.Close();
  });
  for (const std::string* name : {&videoTemp, &audioTemp, &minimalTemp})
    if (!name->empty()) std::remove(name->c_str());
  return false;
}

void CloseVideo(JobState& state) {
  state.videoFile.With([](VideoFileSlot& slot) { slot.file.Close(); });
}

void CloseAudio(JobState& state) {
  state.audioFile.With([](AudioFileSlot& slot) {
    slot.file.Close();
    slot.minimal.Close();
  });
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
bool PackageOutputs::FinishVariant(JobContext& context, DriverRecord& record, const OutputFilter& filter) {
  JobState& state = context.state;
  Notifier& notifier = context.notifier;
  auto [path, videoTemp, audioTemp, samples] = state.variant.With([](const VariantState& v) {
    return std::make_tuple(v.sourcePath, v.videoTempPath, v.audioTempPath, v.audioSampleCount);
  });
  const SourceFacts src = ReadSourceFacts(state, path);
  const bool general = record.sourceKind == kSourceGeneral;
  bool videoOn = filter.videoOn && src.hasVideo;
  bool audioOn = filter.audioOn && src.hasAudio;
  if (!StreamsWhole(context, videoOn, audioOn)) return false;

  std::uint64_t videoBytes = 0;
  if (videoOn) {
    auto payload = state.videoFile.With(
        [&](VideoFileSlot& slot) { return Payload(notifier, slot.file, kVideoHeadersSize); });
    videoBytes = payload.value_or(0);
    videoOn = videoBytes > 0;
  }
  std::uint64_t audioBytes = 0;
  std::uint32_t audioSeconds = 0;
  if (audioOn) {
    if (!src.hasAudioFormat) {
      notifier.ShowApp("error input audio property 2");
      CloseVideo(state);
      CloseAudio(state);
      return false;
    }
    auto payload = state.audioFile.With(
        [&](AudioFileSlot& slot) { return Payload(notifier, slot.file, kAudioHeadersSize); });
    audioBytes = payload.value_or(0);
    audioOn = audioBytes > 0;
    if (general && src.sampleRate > 0) audioSeconds = static_cast<std::uint32_t>(samples / src.sampleRate);
  }

  // Sizes and durations are 32 bits wide in the headers: refuse what would wrap.
  std::optional<std::uint32_t> durationUs =
      VariantDurationUs(filter, src.fileSeconds, audioSeconds, general);
  if (videoBytes > UINT32_MAX || audioBytes > UINT32_MAX || !durationUs) {
    notifier.ShowApp(durationUs ? kTooLarge : kTooLong);
    CloseVideo(state);
    CloseAudio(state);
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
    int failed = state.videoFile.With([&](VideoFileSlot& slot) {
      if (!slot.file.WriteRecordAt(0, Encode(fileHeader))) return 1;
      if (!slot.file.WriteRecordAt(kHeaderSize, Encode(videoHeader))) return 2;
      return 0;
    });
    if (failed) {
      notifier.ShowApp(failed == 1 ? "Could not HEADER_FILE_OUTPUT write to file 2"
                                   : "Could not write HEADER_VIDEO to file");
      CloseVideo(state);
      CloseAudio(state);
      return false;
    }
    // A close can report what earlier writes could not: the stream is not renamed then.
    if (!state.videoFile.With([](VideoFileSlot& slot) { return slot.file.Close(); })) {
      notifier.ShowApp("Could not close VIDEO file");
      CloseAudio(state);
      return false;
    }
  }
  CloseVideo(state);

  std::uint32_t audioRate = 0;
  if (audioOn) {
    if (*durationUs != 0)
      audioRate = general ? (audioSeconds > 0 ? Rate(audioBytes, audioSeconds) : 0)
                          : Rate(audioBytes, soundSeconds);
    const AudioHeader header{kStreamVersion, audioRate, static_cast<std::uint32_t>(audioBytes)};
    int failed = state.audioFile.With([&](AudioFileSlot& slot) {
      if (!slot.file.WriteRecordAt(0, Encode(header))) return 1;
      slot.minimal.Close();
      return slot.file.Close() ? 0 : 2;
    });
    if (failed) {
      notifier.ShowApp(failed == 1 ? "Could not write HEADER_AUDIO to file" : "Could not close AUDIO file");
      CloseAudio(state);
      return false;
    }
    std::string finalAudio = FinalAudioName(src.folder, path, audioRate);
    std::remove(finalAudio.c_str());
    if (std::rename(audioTemp.c_str(), finalAudio.c_str()) != 0) {
      notifier.ShowApp("Could not rename AUDIO file");
      return false;
    }
  }
  CloseAudio(state);

  std::string finalVideo = FinalVideoName(src.folder, path, videoRate);
  std::remove(finalVideo.c_str());
  if (videoOn && std::rename(videoTemp.c_str(), finalVideo.c_str()) != 0) {
    notifier.ShowApp("Could not rename VIDEO file");
    return false;
  }

  if (videoRate != 0) record.videoBitRates.push_back(std::to_string(videoRate));
  if (audioRate != 0) record.audioBitRates.push_back(std::to_string(audioRate));
  return true;
}

}  // namespace zq48

#include "sources/probe.h"

#include <limits.h>

#include <cstdlib>
#include <fstream>

#include "catalog/file_facts.h"

namespace zq48 {

namespace {

std::string CantOpen(const std::string& path) { return "Can't open " + path + " file."; }

std::string CannotRender(const std::string& path, const char* what) {
  return "Cannot render " + path + ".\nRequired " + what + " is absent";
}

}  // namespace

std::uint32_t SamplesPerSecOfSoundRate(std::uint32_t rateFixed) {
  struct RateRow {
    std::uint32_t fixed;
    std::uint32_t hertz;
  };
  static constexpr RateRow kRates[] = {
      {8000u << 16, 8000},   {11025u << 16, 11025}, {0x2B7745D1, 11000},
      {16000u << 16, 16000}, {22050u << 16, 22050}, {0x56EE8BA3, 22000},
      {32000u << 16, 32000}, {44100u << 16, 44100}, {48000u << 16, 48000},
  };
  for (const RateRow& row : kRates)
    if (row.fixed == rateFixed) return row.hertz;
  return 0;
}

bool MediaProbe::Refuse(const std::string& text) {
  notifier_.ShowApp(text);
  return false;
}

bool MediaProbe::Probe(const std::string& path, std::string* durationText) {
  MediaFacts& facts = catalog_.MutableFacts(path);
  facts = MediaFacts{};  // a file probed again starts from nothing
  facts.sourceKind = DetectSourceKind(path);
  bool accepted = false;
  if (facts.sourceKind == kSourceMovie) {
    accepted = services_.movie && ProbeMovie(path, facts);
  } else {
    accepted = ProbeGeneral(path, facts);
  }
  StoreFileDates(path, facts);
  if (durationText) *durationText = facts.durationText;
  return accepted;
}

// ---- general path -------------------------------------------------------

bool MediaProbe::ProbeGeneral(const std::string& path, MediaFacts& facts) {
  std::optional<std::uint64_t> size = RegularFileSize(path);
  if (!size || *size == 0) return false;
  if (!services_.general) return Refuse("Error initialize IMediaDet");
  if (!StoreDetectedStreams(path, facts)) return false;

  if (!std::ifstream(path, std::ios::binary)) return Refuse(CantOpen(path));
  facts.sizeText = SizeText(*size);
  if (facts.videoDuration != 0)
    facts.bitRate = static_cast<std::int64_t>(static_cast<double>(*size) * 8 / facts.videoDuration);
  return CheckDecode(path, *size, facts);
}

namespace {

// The stream of `type` that decoding takes: the one marked chosen, else the first.
const DetectedStream* StreamTaken(const std::vector<DetectedStream>& streams, DetectedStream::Type type) {
  const DetectedStream* first = nullptr;
  for (const DetectedStream& stream : streams) {
    if (stream.type != type) continue;
    if (stream.chosen) return &stream;
    if (!first) first = &stream;
  }
  return first;
}

}  // namespace

// Stream facts come from the audio and the video stream that decoding takes.
bool MediaProbe::StoreDetectedStreams(const std::string& path, MediaFacts& facts) {
  StreamDetection detection = services_.general->DetectStreams(path);
  if (detection.status == StreamDetection::Status::DetectorFailed)
    return Refuse("Error initialize IMediaDet");
  if (detection.status != StreamDetection::Status::Ok) return Refuse(CantOpen(path));

  if (const DetectedStream* audio = StreamTaken(detection.streams, DetectedStream::Type::Audio)) {
    facts.hasAudio = true;
    if (audio->audioFormat) facts.audioFormat = audio->audioFormat;
    if (audio->length) facts.audioDuration = *audio->length;
  }
  if (const DetectedStream* video = StreamTaken(detection.streams, DetectedStream::Type::Video)) {
    facts.hasVideo = true;
    if (!video->hasPictureHeader) return Refuse("Error video sream in " + path + " file.");
    facts.width = video->width;
    facts.height = std::abs(video->height);
    facts.rotation = video->rotation;
    facts.frameRate = video->frameRate;
    if (video->length) facts.videoDuration = *video->length;
  }
  return true;
}

bool MediaProbe::CheckDecode(const std::string& path, std::uint64_t size, MediaFacts& facts) {
  DecodeCheck check = services_.general->CheckDecode(path, facts.hasAudio);
  switch (check.status) {
    case DecodeCheck::Status::Ok:
      break;
    case DecodeCheck::Status::GraphFailed:
      return Refuse("Error initialize COM");
    case DecodeCheck::Status::NoSource:
      return Refuse(CannotRender(path, "source filter"));
    case DecodeCheck::Status::NoVideoDecoder:
      return Refuse(CannotRender(path, "video codec"));
    case DecodeCheck::Status::NoAudioDecoder:
      return Refuse(CannotRender(path, "audio codec"));
  }
  facts.durationText = DurationText(check.duration100ns);
  // Under one whole second the bit rate from the video length stays.
  std::int64_t seconds = check.duration100ns / 10'000'000;
  if (seconds > 0) facts.bitRate = static_cast<std::int64_t>(size * 8 / seconds);
  return true;
}

// ---- movie-file path ----------------------------------------------------

bool MediaProbe::ProbeMovie(const std::string& path, MediaFacts& facts) {
  std::optional<std::uint64_t> size = RegularFileSize(path);
  if (!size || *size == 0) return false;
  facts.sizeText = SizeText(*size);
  if (path.empty() || path.size() >= PATH_MAX) return false;

  std::optional<MovieFacts> movie = services_.movie->OpenMovie(path);
  if (!movie) return Refuse(CantOpen(path));
  facts.width = movie->boxRight - movie->boxLeft;
  facts.height = movie->boxBottom - movie->boxTop;

  // The time scale and duration are checked before anything is divided by them.
  if (movie->timeScale <= 0) return Refuse(CantOpen(path));
  if (movie->duration <= 0) return false;
  if (!movie->videoSampleCount) return Refuse("Can't get FPS " + path + " file.");

  const std::int64_t scale = movie->timeScale;
  const std::int64_t seconds = movie->duration / scale;
  const std::int64_t samples = *movie->videoSampleCount;
  // A movie under one second counts its samples over its exact length.
  facts.frameRate = static_cast<double>(seconds > 0 ? samples / seconds
                                                    : samples * scale / movie->duration);
  return StoreMovieTracks(*movie, facts);
}

bool MediaProbe::StoreMovieTracks(const MovieFacts& movie, MediaFacts& facts) {
  const std::int64_t scale = movie.timeScale;
  std::int64_t totalData = 0;
  for (const MovieTrack& track : movie.tracks) {
    if (track.media == MovieTrack::Media::Sound && !facts.hasAudio) {
      facts.hasAudio = true;
      if (!movie.sound) return false;
      AudioFormat format;
      format.subtype = "PCM";
      format.wave.channels = static_cast<std::uint16_t>(movie.sound->channels);
      format.wave.samplesPerSec = SamplesPerSecOfSoundRate(movie.sound->rateFixed);
      // A track under one second gives its bytes over its exact length.
      std::int64_t trackSeconds = track.duration / scale;
      std::int64_t perSecond = trackSeconds > 0   ? track.dataSize / trackSeconds
                               : track.duration > 0 ? track.dataSize * scale / track.duration
                                                    : 0;
      format.wave.avgBytesPerSec = static_cast<std::uint32_t>(perSecond);
      format.wave.bitsPerSample = static_cast<std::uint16_t>(movie.sound->sampleSize);
      facts.audioFormat = format;
      facts.audioDuration = static_cast<double>(trackSeconds);
    } else if (track.media == MovieTrack::Media::Video && !facts.hasVideo) {
      facts.hasVideo = true;
      facts.videoDuration = static_cast<double>(track.duration / scale);
    } else if (track.media == MovieTrack::Media::Other) {
      continue;
    }
    totalData += track.dataSize;
  }
  const std::int64_t seconds = movie.duration / scale;
  facts.bitRate = seconds > 0 ? (totalData / seconds) * 8 : totalData * scale / movie.duration * 8;
  return true;
}

}  // namespace zq48

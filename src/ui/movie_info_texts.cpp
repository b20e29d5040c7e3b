#include "ui/movie_info_texts.h"

#include <cstdio>
#include <filesystem>

#include "ui/codec_names.h"

namespace zq48 {

namespace {

template <typename... Args>
std::string Format(const char* format, Args... args) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

void FillAudio(const MediaFacts& facts, MovieInfoTexts& t) {
  if (!facts.hasAudio) return;
  t.audioDuration = HoursMinutesSeconds(facts.audioDuration);
  if (!facts.audioFormat) return;
  const WaveFormat& wave = facts.audioFormat->wave;
  if (wave.channels == 1) t.channels = "1 (Mono)";
  if (wave.channels == 2) t.channels = "2 (Stereo)";
  t.sampleRate = Format("%lu Hz", static_cast<unsigned long>(wave.samplesPerSec));
  t.audioDataRate = KbpsText(static_cast<std::int64_t>(wave.avgBytesPerSec) * 8);
  if (facts.sourceKind == kSourceGeneral) t.audioCodec = AudioCodecName(wave.formatTag);
}

}  // namespace

std::string HoursMinutesSeconds(double seconds) {
  const int hours = static_cast<int>(seconds / 3600);
  const int minutes = static_cast<int>((seconds - hours * 3600.0) / 60);
  const int rest = static_cast<int>(seconds - hours * 3600.0 - minutes * 60.0);
  return Format("%02dh:%02dm:%02ds", hours, minutes, rest);
}

std::string KbpsText(std::int64_t bitsPerSecond) {
  return Format("%lu kbps", static_cast<unsigned long>(bitsPerSecond / 1024));
}

MovieInfoTexts MakeMovieInfoTexts(const std::string& path, const MediaFacts& facts,
                                  const std::string& videoCodecName) {
  MovieInfoTexts t;
  t.fileName = std::filesystem::path(path).filename().string();
  t.dataSize = facts.sizeText + " KB";
  t.modified = " " + facts.modifiedDate;
  t.created = " " + facts.createdDate;
  t.frameSize = Format("%i x %i", facts.width, facts.height);
  // The size is the picture as shown; a turned one says so.
  if (facts.rotation != 0) t.frameSize += Format(" (turned %i\u00b0)", facts.rotation);
  // A file without pictures has no frame rate; its frame time would be a
  // division by zero.
  const int frameMicros = facts.frameRate > 0 ? static_cast<int>(1000000 / facts.frameRate) : 0;
  t.frameRate = Format("%5.2f fps, %i \u00b5s", facts.frameRate, frameMicros);
  t.videoDataRate = KbpsText(facts.bitRate);
  t.videoDuration = HoursMinutesSeconds(facts.videoDuration);
  if (facts.sourceKind == kSourceGeneral) t.videoCodec = videoCodecName;
  FillAudio(facts, t);
  return t;
}

}  // namespace zq48

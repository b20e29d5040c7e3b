#include "support/package_timeline.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "support/elementary_decoder.h"
#include "support/video_decode.h"

namespace zq48::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

HeaderBytes HeaderAt(const Bytes& file, std::size_t offset) {
  HeaderBytes h{};
  if (file.size() >= offset + kHeaderSize) std::copy_n(file.begin() + offset, kHeaderSize, h.begin());
  return h;
}

PackagePictures ReadPictures(const fs::path& path) {
  const Bytes file = ReadBytes(path);
  PackagePictures out;
  out.name = path.filename().string();
  out.header = DecodeVideo(HeaderAt(file, kHeaderSize));
  out.frameRate = out.header.frameRateX1e6 / 1e6;
  if (file.size() <= kVideoHeadersSize) return out;
  DecodedVideo decoded = DecodeMpeg4(Bytes(file.begin() + kVideoHeadersSize, file.end()));
  out.width = decoded.width;
  out.height = decoded.height;
  out.errors = decoded.errors;
  out.pictures = std::move(decoded.pictures);
  return out;
}

PackageSound ReadSound(const fs::path& path) {
  const Bytes file = ReadBytes(path);
  PackageSound out;
  out.name = path.filename().string();
  out.header = DecodeAudio(HeaderAt(file, 0));
  if (file.size() <= kAudioHeadersSize) return out;
  out.errors = DecodeElementaryStream(AV_CODEC_ID_MP3, Bytes(file.begin() + kAudioHeadersSize, file.end()), nullptr,
                                      [&out](const AVFrame& f) {
                                        out.rate = f.sample_rate;
                                        for (int i = 0; i < f.nb_samples; ++i) {
                                          const bool isFloat = f.format == AV_SAMPLE_FMT_FLTP;
                                          out.samples.push_back(
                                              isFloat ? reinterpret_cast<const float*>(f.extended_data[0])[i]
                                                      : reinterpret_cast<const std::int16_t*>(f.extended_data[0])[i] /
                                                            32768.0f);
                                        }
                                      });
  return out;
}

double Luma(const std::uint8_t* bgr) { return 0.114 * bgr[0] + 0.587 * bgr[1] + 0.299 * bgr[2]; }

}  // namespace

PackageStreams ReadPackageStreams(const std::string& folder) {
  std::vector<fs::path> videos, sounds;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.ends_with("bps.video.zq48")) videos.push_back(entry.path());
    if (name.ends_with("bps.audio.zq48")) sounds.push_back(entry.path());
  }
  std::sort(videos.begin(), videos.end());
  std::sort(sounds.begin(), sounds.end());
  PackageStreams out;
  for (const fs::path& p : videos) out.videos.push_back(ReadPictures(p));
  for (const fs::path& p : sounds) out.sounds.push_back(ReadSound(p));
  return out;
}

double RegionLuma(const std::vector<std::uint8_t>& bgr, int width, int height, double left, double top, double right,
                  double bottom) {
  const int x0 = static_cast<int>(left * width), x1 = static_cast<int>(right * width);
  const int y0 = static_cast<int>(top * height), y1 = static_cast<int>(bottom * height);
  double sum = 0;
  int count = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x, ++count) sum += Luma(&bgr[(static_cast<std::size_t>(y) * width + x) * 3]);
  return count ? sum / count : 0;
}

std::vector<int> FlashPictures(const PackagePictures& video, double threshold) {
  std::vector<int> starts;
  bool bright = false;
  for (std::size_t i = 0; i < video.pictures.size(); ++i) {
    const bool now = RegionLuma(video.pictures[i], video.width, video.height, 0, 0, 1, 1) > threshold;
    if (now && !bright) starts.push_back(static_cast<int>(i));
    bright = now;
  }
  return starts;
}

std::vector<ToneBurst> ToneBursts(const PackageSound& sound) {
  constexpr double kLoud = 0.15, kQuiet = 0.05;  // RMS; the tones are written at amplitude 0.5
  const std::vector<float>& s = sound.samples;
  const auto window = static_cast<std::size_t>(std::max(4, sound.rate / 500));
  const auto quietSpan = static_cast<std::size_t>(sound.rate / 50);  // 20 ms of quiet ends a burst
  std::vector<ToneBurst> bursts;
  if (s.size() < window) return bursts;
  double energy = 0;
  for (std::size_t i = 0; i < window; ++i) energy += double(s[i]) * s[i];
  bool loud = false;
  std::size_t lastLoud = 0;
  const double half = window / 2.0;
  for (std::size_t i = 0;; ++i) {
    const double rms = std::sqrt(std::max(0.0, energy) / window);
    if (rms >= kLoud) {
      if (!loud) {
        // The burst starts at the first sample of the window that is as loud as that.
        std::size_t at = i;
        while (at + 1 < i + window && std::abs(s[at]) < kLoud) ++at;
        bursts.push_back(ToneBurst{double(at), 0});
      }
      loud = true;
    }
    if (rms >= kQuiet) lastLoud = i;
    if (loud && i - lastLoud >= quietSpan) {
      bursts.back().end = lastLoud + half;
      loud = false;
    }
    if (i + window >= s.size()) break;
    energy += double(s[i + window]) * s[i + window] - double(s[i]) * s[i];
  }
  if (loud) bursts.back().end = lastLoud + half;
  return bursts;
}

double ToneHz(const PackageSound& sound, const ToneBurst& burst) {
  const std::size_t margin = sound.rate / 100;  // leave out the edges, where the coding smears
  const auto from = static_cast<std::size_t>(burst.start) + margin;
  const auto to = std::min(sound.samples.size(), static_cast<std::size_t>(burst.end) - margin);
  if (burst.end < burst.start + 3 * margin) return 0;
  int crossings = 0;
  std::size_t first = 0, last = 0;
  for (std::size_t i = from + 1; i < to; ++i)
    if (sound.samples[i - 1] < 0 && sound.samples[i] >= 0) {
      if (crossings++ == 0) first = i;
      last = i;
    }
  return crossings > 1 ? (crossings - 1) * double(sound.rate) / double(last - first) : 0;
}

}  // namespace zq48::testing

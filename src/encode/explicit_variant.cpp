#include "encode/explicit_variant.h"

#include "encode/filter_ladder.h"

namespace zq48 {

OutputFilter ExplicitVariant(const InputCatalog& catalog, const std::string& path, const VariantFields& v,
                             double frameRate, const RangeAndCrop& range) {
  const auto total = static_cast<std::uint32_t>(v.videoKbps + v.audioKbps);
  OutputFilter f = DeriveFilter(catalog, path, total, frameRate, v.audioKbps > 0 ? 1 : 0, v.videoKbps > 0 ? 1 : 0);
  f.width = v.width.value_or(f.width);
  f.height = v.height.value_or(f.height);
  f.videoBitRate = v.videoKbps;
  if (catalog.Facts(path).hasAudio && v.audioKbps > 0) {
    f.audioBitRate = v.audioKbps;
    f.audioSampleRate = v.sampleRate.value_or(0);
    f.audioChannels = v.channels.value_or(0);
    if (v.volume) f.volume = static_cast<float>(*v.volume);
  } else {
    f.audioOn = 0;
    f.audioBitRate = f.audioSampleRate = f.audioChannels = 0;
    f.volume = 0.0f;
  }
  ApplyRangeAndCrop(range, f);
  return f;
}

}  // namespace zq48

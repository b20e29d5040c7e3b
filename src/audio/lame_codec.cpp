#include "audio/lame_codec.h"

#include <lame/lame.h>

#include <mutex>

namespace zq48 {

namespace {

struct LameCloser {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using LamePtr = std::unique_ptr<lame_global_flags, LameCloser>;

// libmp3lame fills lookup tables shared by all its contexts while a context
// is being set up, so two set-ups must not overlap. Encoding itself only
// touches the context's own state.
std::mutex& SetupMutex() {
  static std::mutex mutex;
  return mutex;
}

MPEG_mode LameMode(Mp3ChannelMode mode) {
  switch (mode) {
    case Mp3ChannelMode::Mono: return MONO;
    case Mp3ChannelMode::Stereo: return STEREO;  // plain stereo, not joint
    case Mp3ChannelMode::JointStereo: return JOINT_STEREO;
  }
  return NOT_SET;
}

// The library settings that the command-line options stand for.
void ApplySettings(lame_global_flags* flags, const LameSettings& s) {
  if (s.bitRateKbps) {
    lame_set_brate(flags, *s.bitRateKbps);
    lame_set_VBR_min_bitrate_kbps(flags, lame_get_brate(flags));
  }
  if (s.mode) lame_set_mode(flags, LameMode(*s.mode));
  if (s.outSampleRate) lame_set_out_samplerate(flags, *s.outSampleRate);
  if (s.scale) lame_set_scale(flags, *s.scale);
  if (s.quality) lame_set_quality(flags, *s.quality);
}

class LameCodec : public Mp3Codec {
 public:
  explicit LameCodec(LamePtr flags) : flags_(std::move(flags)) {}

  int FrameSize() const override { return lame_get_framesize(flags_.get()); }

  int Encode(const int* left, const int* right, int samples, std::uint8_t* out,
             int capacity) override {
    return lame_encode_buffer_int(flags_.get(), left, right, samples, out, capacity);
  }

  int Flush(std::uint8_t* out, int capacity) override {
    return lame_encode_flush(flags_.get(), out, capacity);
  }

 private:
  LamePtr flags_;
};

}  // namespace

std::unique_ptr<Mp3Codec> OpenLameCodec(const Mp3CodecSetup& setup) {
  std::lock_guard lock(SetupMutex());
  LamePtr flags(lame_init());
  if (!flags) return nullptr;
  ApplySettings(flags.get(), setup.settings);
  lame_set_num_channels(flags.get(), setup.inputChannels);
  lame_set_in_samplerate(flags.get(), setup.inputSampleRate);
  lame_set_num_samples(flags.get(), 0xFFFFFFFFUL);  // the length is not known in advance
  // The stream file holds bare audio frames: no header frame reserved for a
  // VBR/Info tag (nobody would come back to fill it) and no ID3 tags.
  lame_set_bWriteVbrTag(flags.get(), 0);
  lame_set_write_id3tag_automatic(flags.get(), 0);
  if (lame_init_params(flags.get()) < 0) return nullptr;
  return std::make_unique<LameCodec>(std::move(flags));
}

}  // namespace zq48

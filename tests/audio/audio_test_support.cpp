#include "audio/audio_test_support.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "audio/lame_codec.h"
#include "sources/ffmpeg_handles.h"
#include "support/elementary_decoder.h"

namespace zq48::testing {

namespace {

// Records every call and passes it on to the real codec, when there is one.
class RecordingCodec : public Mp3Codec {
 public:
  RecordingCodec(std::unique_ptr<Mp3Codec> real, std::shared_ptr<CodecLog> log, int frameSize = 0)
      : real_(std::move(real)), log_(std::move(log)), frameSize_(frameSize) {}
  ~RecordingCodec() override { ++log_->released; }

  int FrameSize() const override { return real_ ? real_->FrameSize() : frameSize_; }

  int Encode(const int* left, const int* right, int samples, std::uint8_t* out,
             int capacity) override {
    int call = static_cast<int>(log_->calls.size());
    log_->calls.push_back(samples);
    log_->left.insert(log_->left.end(), left, left + samples);
    log_->right.insert(log_->right.end(), right, right + samples);
    if (call == log_->failAtCall) return -1;
    if (!real_) return OneByte(out);
    return real_->Encode(left, right, samples, out, capacity);
  }

  int Flush(std::uint8_t* out, int capacity) override {
    ++log_->flushes;
    if (!real_) return OneByte(out);
    return real_->Flush(out, capacity);
  }

 private:
  static int OneByte(std::uint8_t* out) {
    out[0] = 0xFF;
    return 1;
  }

  std::unique_ptr<Mp3Codec> real_;
  std::shared_ptr<CodecLog> log_;
  int frameSize_;
};

int FrameKbps(const std::uint8_t* header) {
  static constexpr int kMpeg1[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                   112, 128, 160, 192, 224, 256, 320};
  static constexpr int kMpeg2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  const bool mpeg1 = (header[1] & 0x18) == 0x18;
  const int index = header[2] >> 4;
  if (index >= 15) return -1;
  return mpeg1 ? kMpeg1[index] : kMpeg2[index];
}


}  // namespace

void AudioJob::OpenAudioFile(const std::string& path) {
  auto file = StreamFile::Create(path);
  if (!file || !file->WritePlaceholder(HeaderKind::Audio))
    throw std::runtime_error("cannot create " + path);
  variant.streams.audio = std::move(*file);
}

Mp3CodecFactory RecordingLame(std::shared_ptr<CodecLog> log) {
  return [log](const Mp3CodecSetup& setup) -> std::unique_ptr<Mp3Codec> {
    ++log->opened;
    log->setup = setup;
    auto real = OpenLameCodec(setup);
    if (!real) return nullptr;
    return std::make_unique<RecordingCodec>(std::move(real), log);
  };
}

Mp3CodecFactory RecordingFake(std::shared_ptr<CodecLog> log, int frameSize) {
  return [log, frameSize](const Mp3CodecSetup& setup) -> std::unique_ptr<Mp3Codec> {
    ++log->opened;
    log->setup = setup;
    return std::make_unique<RecordingCodec>(nullptr, log, frameSize);
  };
}

DecodedMp3 DecodeMp3(const Bytes& stream) {
  DecodedMp3 out;
  auto onPacket = [&out](const std::uint8_t* chunk, int size) {
    if (size >= 4) out.frameKbps.insert(FrameKbps(chunk));
  };
  int refused = DecodeElementaryStream(AV_CODEC_ID_MP3, stream, onPacket, [&out](const AVFrame& f) {
    if (out.frames == 0) {
      out.sampleRate = f.sample_rate;
      out.channels = f.ch_layout.nb_channels;
    } else if (f.sample_rate != out.sampleRate || f.ch_layout.nb_channels != out.channels) {
      ++out.errors;  // the stream changed format on the way
    }
    ++out.frames;
    out.samples += f.nb_samples;
  });
  out.errors += refused;
  return out;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes Tone16(int channels, int sampleRate, int samples) {
  Bytes pcm;
  pcm.reserve(static_cast<std::size_t>(samples) * channels * 2);
  for (int i = 0; i < samples; ++i) {
    for (int c = 0; c < channels; ++c) {
      double hz = 440.0 * (c + 1);
      auto s = static_cast<std::int16_t>(12000.0 *
                                         std::sin(2.0 * std::numbers::pi * hz * i / sampleRate));
      pcm.push_back(static_cast<std::uint8_t>(s & 0xFF));
      pcm.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
  }
  return pcm;
}

}  // namespace zq48::testing

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <deque>
#include <vector>

#include "sources/decoder_loop.h"
#include "sources/ffmpeg_movie_media.h"
#include "sources/ffmpeg_handles.h"
#include "sources/movie_sound_converter.h"
#include "sources/movie_sound_source.h"
#include "sources/stream_kinds.h"

namespace zq48 {

namespace {

constexpr int kNoSoundTrack = -2008;  // the error a movie without sound media gives
constexpr int kBadFormat = -50;

AVSampleFormat SampleFormatFor(int bits) {
  switch (bits) {
    case 8: return AV_SAMPLE_FMT_U8;
    case 16: return AV_SAMPLE_FMT_S16;
    default: return AV_SAMPLE_FMT_S32;  // 24-bit samples are cut from 32-bit ones
  }
}

// A layout the resampler can mix from: the frame's own, or the usual one
// for its channel count when the track names none.
AVChannelLayout KnownLayout(const AVChannelLayout& layout) {
  AVChannelLayout out{};
  if (layout.order != AV_CHANNEL_ORDER_UNSPEC) {
    av_channel_layout_copy(&out, &layout);
  } else {
    av_channel_layout_default(&out, layout.nb_channels);
  }
  return out;
}

// Even mix weights for channels of no known place: input channel i goes to
// output channel i modulo the output count, and every output channel takes
// an equal share of the inputs it gets (rows of the matrix sum to 1).
std::vector<double> EvenMix(int inChannels, int outChannels) {
  std::vector<double> matrix(static_cast<std::size_t>(inChannels) * outChannels, 0.0);
  for (int i = 0; i < inChannels; ++i) matrix[static_cast<std::size_t>(i % outChannels) * inChannels + i] = 1.0;
  for (int o = inChannels; o < outChannels; ++o) matrix[static_cast<std::size_t>(o) * inChannels + o % inChannels] = 1.0;
  for (int o = 0; o < outChannels; ++o) {
    double* row = &matrix[static_cast<std::size_t>(o) * inChannels];
    double sum = 0;
    for (int i = 0; i < inChannels; ++i) sum += row[i];
    for (int i = 0; i < inChannels && sum > 0; ++i) row[i] /= sum;
  }
  return matrix;
}

}  // namespace

// ---- converter ------------------------------------------------------------

bool MovieSoundConverter::Rebuild(const AVFrame& frame, std::vector<std::uint8_t>& out) {
  // What the old resampler still holds belongs before this frame's sound.
  if (resampler_) Run(nullptr, 0, out);
  AVChannelLayout in = KnownLayout(frame.ch_layout);
  // Where the resampler knows no places for these channels, they are mixed evenly.
  const std::vector<double> mix = EvenMix(frame.ch_layout.nb_channels, output_.channels);
  const bool ok = resampler_.Rebuild(frame, output_.channels, SampleFormatFor(output_.bitsPerSample),
                                     output_.sampleRate, &in, mix);
  av_channel_layout_uninit(&in);
  return ok;
}

bool MovieSoundConverter::Run(const std::uint8_t* const* in, int count,
                              std::vector<std::uint8_t>& out) {
  const int outMax = swr_get_out_samples(resampler_.get(), count);
  if (outMax <= 0) return outMax == 0;
  const int sampleBytes = output_.bitsPerSample == 24 ? 4 : output_.BytesPerSample();
  buffer_.resize(static_cast<std::size_t>(outMax) * sampleBytes * output_.channels);
  std::uint8_t* dst[1] = {buffer_.data()};
  const int produced = swr_convert(resampler_.get(), dst, outMax, const_cast<const std::uint8_t**>(in), count);
  if (produced < 0) return false;
  const std::size_t samples = static_cast<std::size_t>(produced) * output_.channels;
  if (output_.bitsPerSample == 24) {
    // Keep the top three bytes of each little-endian 32-bit sample.
    for (std::size_t i = 0; i < samples; ++i)
      out.insert(out.end(), buffer_.begin() + i * 4 + 1, buffer_.begin() + i * 4 + 4);
  } else {
    out.insert(out.end(), buffer_.begin(), buffer_.begin() + samples * sampleBytes);
  }
  return true;
}

void MovieSoundConverter::Drain(std::vector<std::uint8_t>& out) {
  if (resampler_) Run(nullptr, 0, out);
}

bool MovieSoundConverter::Convert(const AVFrame& frame, int first, int count,
                                  std::vector<std::uint8_t>& out) {
  const int channels = frame.ch_layout.nb_channels;
  if (channels <= 0 || frame.sample_rate <= 0 || first < 0 || count < 0 ||
      first + count > frame.nb_samples)
    return false;
  if (!resampler_.Matches(frame) && !Rebuild(frame, out)) return false;
  if (count == 0) return true;
  const auto format = static_cast<AVSampleFormat>(frame.format);
  const bool planar = av_sample_fmt_is_planar(format);
  const int sampleBytes = av_get_bytes_per_sample(format);
  // One plane per channel for planar sound, however many channels there are.
  planes_.assign(planar ? channels : 1, nullptr);
  for (std::size_t c = 0; c < planes_.size(); ++c)
    planes_[c] = frame.extended_data[c] + static_cast<std::size_t>(first) * sampleBytes * (planar ? 1 : channels);
  return Run(planes_.data(), count, out);
}

// ---- sound source -----------------------------------------------------------

namespace {

class FfmpegMovieSound : public MovieSoundSource {
 public:
  int Open(const std::string& path, const PcmFormat& format, std::int64_t begin, std::int64_t end);
  int Read(std::uint8_t* out, int capacity) override;
  std::int64_t CurrentSeconds() const override { return static_cast<std::int64_t>(current_); }

 private:
  // Decodes more of the track into pending_; false at the end or on an error.
  bool Refill();
  void Convert(const AVFrame& frame);

  ff::FormatContextPtr movie_;
  AVStream* stream_ = nullptr;
  ff::CodecContextPtr decoder_;
  std::unique_ptr<MovieSoundConverter> converter_;
  ff::PacketPtr packet_{av_packet_alloc()};
  ff::FramePtr frame_{av_frame_alloc()};
  PcmFormat format_;
  double begin_ = 0.0;
  double end_ = 0.0;  // seconds; 0: the end of the media
  double current_ = 0.0;
  double origin_ = 0.0;
  bool draining_ = false;
  bool finished_ = false;
  bool drained_ = false;
  bool started_ = false;  // a frame of the range came
  std::deque<std::uint8_t> pending_;
  std::vector<std::uint8_t> converted_;
};

int FfmpegMovieSound::Open(const std::string& path, const PcmFormat& format, std::int64_t begin,
                           std::int64_t end) {
  const bool url = path.find("://") != std::string::npos;
  if (!url && (path.empty() || path.size() >= PATH_MAX)) return kBadFormat;
  movie_ = ff::OpenInput(path, av_find_input_format("mov"));
  if (!movie_ || avformat_find_stream_info(movie_.get(), nullptr) < 0) return kBadFormat;
  const int index = ff::ChosenStreamOf(movie_.get(), ff::StreamKind::Sound);
  if (index < 0) return kNoSoundTrack;
  stream_ = movie_->streams[index];
  for (unsigned i = 0; i < movie_->nb_streams; ++i)
    if (movie_->streams[i] != stream_) movie_->streams[i]->discard = AVDISCARD_ALL;
  decoder_ = ff::OpenDecoder(stream_);
  if (!decoder_ || !packet_ || !frame_) return kNoSoundTrack;
  if (format.channels < 1 || format.channels > 2 || format.sampleRate <= 0 ||
      !format.Supported())
    return kBadFormat;
  format_ = format;
  converter_ = std::make_unique<MovieSoundConverter>(format);
  origin_ = MovieTimelineOrigin(path);
  begin_ = static_cast<double>(begin);
  end_ = static_cast<double>(end);
  current_ = begin_;
  if (begin > 0)
    av_seek_frame(movie_.get(), stream_->index,
                  static_cast<std::int64_t>((begin_ + origin_) / av_q2d(stream_->time_base)),
                  AVSEEK_FLAG_BACKWARD);
  return 0;
}

void FfmpegMovieSound::Convert(const AVFrame& frame) {
  const int rate = frame.sample_rate > 0 ? frame.sample_rate : decoder_->sample_rate;
  double t = frame.pts != AV_NOPTS_VALUE ? frame.pts * av_q2d(stream_->time_base) - origin_ : current_;
  int first = 0, last = frame.nb_samples;
  // Only the samples inside [begin, end) are converted.
  // (Positions are rounded: they fall on whole samples up to rounding noise.)
  if (t < begin_) first = std::min(last, static_cast<int>(std::lround((begin_ - t) * rate)));
  if (end_ > 0 && t + static_cast<double>(last) / rate > end_) {
    last = std::max(first, static_cast<int>(std::lround((end_ - t) * rate)));
    finished_ = true;
  }
  // Sound that starts after the time line's (or the range's) start begins with silence.
  if (!started_ && t > begin_) {
    const std::size_t blocks = static_cast<std::size_t>(std::lround((t - begin_) * format_.sampleRate));
    pending_.insert(pending_.end(), blocks * static_cast<std::size_t>(format_.BlockBytes()),
                    static_cast<std::uint8_t>(format_.bitsPerSample == 8 ? 0x80 : 0));  // 8-bit PCM is unsigned
  }
  started_ = true;
  current_ = t + static_cast<double>(last) / rate;
  if (last <= first) return;
  converted_.clear();
  // A frame that cannot be converted is left out; the track goes on.
  if (converter_->Convert(frame, first, last - first, converted_))
    pending_.insert(pending_.end(), converted_.begin(), converted_.end());
}

bool FfmpegMovieSound::Refill() {
  auto feed = [this] {
    return ff::SendNextPacket(movie_.get(), stream_->index, decoder_.get(), packet_.get());
  };
  // One frame a call.
  auto take = [this](const AVFrame& frame) {
    Convert(frame);
    return false;
  };
  if (!finished_ && ff::RunDecoder(decoder_.get(), frame_.get(), draining_, feed, take)) return true;
  // At the end of the track the resampler gives up the sound it still delays.
  if (!drained_) {
    drained_ = true;
    converted_.clear();
    converter_->Drain(converted_);
    pending_.insert(pending_.end(), converted_.begin(), converted_.end());
    return !converted_.empty();
  }
  return false;
}

int FfmpegMovieSound::Read(std::uint8_t* out, int capacity) {
  const std::size_t block = static_cast<std::size_t>(format_.BlockBytes());
  const std::size_t want = static_cast<std::size_t>(capacity) / block * block;
  while (pending_.size() < want && Refill()) {
  }
  std::size_t n = std::min(want, pending_.size() / block * block);
  std::copy_n(pending_.begin(), n, out);
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
  return static_cast<int>(n);
}

}  // namespace

int ConverterRate(int probedRate) {
  switch (probedRate) {
    case 8000: case 11025: case 16000: case 22050: case 32000: case 44100: case 48000:
      return probedRate;
    case 11000: return 11127;  // 11127.2727 Hz
    case 22000: return 22254;  // 22254.5454 Hz
    default: return 0;
  }
}

std::unique_ptr<MovieSoundSource> OpenMovieSound(const std::string& path, const PcmFormat& format,
                                                 std::int64_t beginSeconds,
                                                 std::int64_t endSeconds, int* error) {
  auto sound = std::make_unique<FfmpegMovieSound>();
  int rc = sound->Open(path, format, beginSeconds, endSeconds);
  if (error) *error = rc;
  if (rc != 0) return nullptr;
  return sound;
}

}  // namespace zq48

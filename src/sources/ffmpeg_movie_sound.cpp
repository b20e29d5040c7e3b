#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <deque>
#include <vector>

#include "sources/ffmpeg_handles.h"
#include "sources/movie_sound_source.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

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
  ff::SwrPtr swr_;
  ff::PacketPtr packet_{av_packet_alloc()};
  ff::FramePtr frame_{av_frame_alloc()};
  PcmFormat format_;
  double begin_ = 0.0;
  double end_ = 0.0;  // seconds; 0: the end of the media
  double current_ = 0.0;
  double origin_ = 0.0;
  bool draining_ = false;
  bool finished_ = false;
  std::deque<std::uint8_t> pending_;
  std::vector<std::uint8_t> converted_;
};

int FfmpegMovieSound::Open(const std::string& path, const PcmFormat& format, std::int64_t begin,
                           std::int64_t end) {
  const bool url = path.find("://") != std::string::npos;
  if (!url && (path.empty() || path.size() >= PATH_MAX)) return kBadFormat;
  movie_ = ff::OpenInput(path, av_find_input_format("mov"));
  if (!movie_ || avformat_find_stream_info(movie_.get(), nullptr) < 0) return kBadFormat;
  for (unsigned i = 0; i < movie_->nb_streams; ++i) {
    AVStream* st = movie_->streams[i];
    if (!stream_ && st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) stream_ = st;
    else st->discard = AVDISCARD_ALL;
  }
  if (!stream_) return kNoSoundTrack;
  decoder_ = ff::OpenDecoder(stream_);
  if (!decoder_ || !packet_ || !frame_) return kNoSoundTrack;
  if (format.channels < 1 || format.channels > 2 || format.sampleRate <= 0 ||
      !format.Supported())
    return kBadFormat;
  format_ = format;
  AVChannelLayout in = decoder_->ch_layout, out{};
  av_channel_layout_default(&out, format.channels);
  SwrContext* raw = nullptr;
  if (swr_alloc_set_opts2(&raw, &out, SampleFormatFor(format.bitsPerSample), format.sampleRate,
                          &in, decoder_->sample_fmt, decoder_->sample_rate, 0, nullptr) < 0)
    return kBadFormat;
  swr_.reset(raw);
  if (swr_init(swr_.get()) < 0) return kBadFormat;
  origin_ = stream_->start_time != AV_NOPTS_VALUE ? stream_->start_time * av_q2d(stream_->time_base) : 0;
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
  current_ = t + static_cast<double>(last) / rate;
  if (last <= first) return;
  const int inBytesPerSample = av_get_bytes_per_sample(static_cast<AVSampleFormat>(frame.format));
  const bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame.format));
  const std::uint8_t* in[AV_NUM_DATA_POINTERS] = {};
  const int channels = frame.ch_layout.nb_channels;
  for (int c = 0; c < (planar ? channels : 1); ++c)
    in[c] = frame.extended_data[c] + first * inBytesPerSample * (planar ? 1 : channels);
  const int count = last - first;
  const int outMax = swr_get_out_samples(swr_.get(), count);
  const int outSampleBytes = format_.bitsPerSample == 24 ? 4 : format_.BytesPerSample();
  converted_.resize(static_cast<std::size_t>(outMax) * outSampleBytes * format_.channels);
  std::uint8_t* out[1] = {converted_.data()};
  int produced = swr_convert(swr_.get(), out, outMax, in, count);
  if (produced <= 0) return;
  const std::size_t samples = static_cast<std::size_t>(produced) * format_.channels;
  if (format_.bitsPerSample == 24) {
    // Keep the top three bytes of each little-endian 32-bit sample.
    for (std::size_t i = 0; i < samples; ++i)
      pending_.insert(pending_.end(), converted_.begin() + i * 4 + 1, converted_.begin() + i * 4 + 4);
  } else {
    pending_.insert(pending_.end(), converted_.begin(), converted_.begin() + samples * outSampleBytes);
  }
}

bool FfmpegMovieSound::Refill() {
  while (!finished_) {
    if (avcodec_receive_frame(decoder_.get(), frame_.get()) == 0) {
      Convert(*frame_);
      av_frame_unref(frame_.get());
      return true;
    }
    if (draining_) return false;
    if (av_read_frame(movie_.get(), packet_.get()) < 0) {
      draining_ = true;
      avcodec_send_packet(decoder_.get(), nullptr);
      continue;
    }
    if (packet_->stream_index == stream_->index) avcodec_send_packet(decoder_.get(), packet_.get());
    av_packet_unref(packet_.get());
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

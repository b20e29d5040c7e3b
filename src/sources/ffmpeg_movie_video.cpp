#include <algorithm>
#include <climits>
#include <vector>

#include "sources/ffmpeg_handles.h"
#include "sources/movie_video_source.h"

namespace zq48 {

namespace {

// Movie time is counted in microseconds, the demuxer's own base.
constexpr std::int64_t kScale = AV_TIME_BASE;

const AVInputFormat* MovieFormat() { return av_find_input_format("mov"); }

class FfmpegMovieVideo : public MovieVideoSource {
 public:
  bool Open(const std::string& path);

  std::int64_t TimeScale() const override { return kScale; }
  std::int64_t Duration() const override { return duration_; }
  std::int64_t SampleCount() const override { return static_cast<std::int64_t>(times_.size()); }
  bool GoToFirstSampleAtOrAfter(std::int64_t time) override;
  bool GoToNextSample() override;
  std::int64_t CurrentTime() const override { return current_ < 0 ? 0 : times_[current_]; }
  const std::uint8_t* Picture() override { return hasPicture_ ? picture_.data() : nullptr; }
  int width() const override { return width_; }
  int height() const override { return height_; }

 private:
  std::int64_t MovieTime(std::int64_t ts) const {
    return av_rescale_q(ts - origin_, stream_->time_base, AVRational{1, kScale});
  }
  // Decodes until the picture of the current sample is out.
  bool DecodeCurrent();
  bool Convert(const AVFrame& frame);

  ff::FormatContextPtr movie_;
  AVStream* stream_ = nullptr;
  ff::CodecContextPtr decoder_;
  ff::PacketPtr packet_{av_packet_alloc()};
  ff::FramePtr frame_{av_frame_alloc()};
  ff::SwsPtr sws_;
  std::vector<std::int64_t> times_;  // movie time of every sample, in order
  std::int64_t origin_ = 0;          // the stream's first time stamp
  std::int64_t duration_ = 0;
  std::ptrdiff_t current_ = -1;
  bool draining_ = false;
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> picture_;
  bool hasPicture_ = false;
};

bool FfmpegMovieVideo::Open(const std::string& path) {
  const bool url = path.find("://") != std::string::npos;
  if (!url && (path.empty() || path.size() >= PATH_MAX)) return false;
  movie_ = ff::OpenInput(path, MovieFormat());
  if (!movie_ || avformat_find_stream_info(movie_.get(), nullptr) < 0) return false;
  for (unsigned i = 0; i < movie_->nb_streams && !stream_; ++i)
    if (ff::IsPictureStream(movie_->streams[i])) stream_ = movie_->streams[i];
  if (!stream_ || !packet_ || !frame_) return false;
  decoder_ = ff::OpenDecoder(stream_);
  if (!decoder_) return false;
  width_ = stream_->codecpar->width;
  height_ = stream_->codecpar->height;
  if (width_ <= 0 || height_ <= 0) return false;
  picture_.assign(static_cast<std::size_t>(width_) * height_ * 3, 0);
  for (unsigned i = 0; i < movie_->nb_streams; ++i)
    if (movie_->streams[i] != stream_) movie_->streams[i]->discard = AVDISCARD_ALL;

  int count = avformat_index_get_entries_count(stream_);
  origin_ = stream_->start_time != AV_NOPTS_VALUE ? stream_->start_time : 0;
  for (int i = 0; i < count; ++i) {
    const AVIndexEntry* e = avformat_index_get_entry(stream_, i);
    if (e && !(e->flags & AVINDEX_DISCARD_FRAME)) times_.push_back(MovieTime(e->timestamp));
  }
  std::sort(times_.begin(), times_.end());
  if (movie_->duration != AV_NOPTS_VALUE && movie_->duration > 0) duration_ = movie_->duration;
  return true;
}

bool FfmpegMovieVideo::Convert(const AVFrame& frame) {
  sws_.reset(sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                            width_, height_, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr,
                            nullptr));
  if (!sws_) return false;
  std::uint8_t* dst[4] = {picture_.data(), nullptr, nullptr, nullptr};
  int stride[4] = {width_ * 3, 0, 0, 0};
  return sws_scale(sws_.get(), frame.data, frame.linesize, 0, frame.height, dst, stride) > 0;
}

bool FfmpegMovieVideo::DecodeCurrent() {
  const std::int64_t target = times_[current_];
  for (;;) {
    while (avcodec_receive_frame(decoder_.get(), frame_.get()) == 0) {
      std::int64_t ts = frame_->best_effort_timestamp;
      bool reached = ts == AV_NOPTS_VALUE || MovieTime(ts) >= target;
      if (reached) hasPicture_ = Convert(*frame_);
      av_frame_unref(frame_.get());
      if (reached) return true;
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
}

bool FfmpegMovieVideo::GoToFirstSampleAtOrAfter(std::int64_t time) {
  auto it = std::lower_bound(times_.begin(), times_.end(), time);
  if (time < 0 || it == times_.end()) return false;
  current_ = it - times_.begin();
  std::int64_t ts = av_rescale_q(*it, AVRational{1, kScale}, stream_->time_base) + origin_;
  if (av_seek_frame(movie_.get(), stream_->index, ts, AVSEEK_FLAG_BACKWARD) < 0) return false;
  avcodec_flush_buffers(decoder_.get());
  draining_ = false;
  return DecodeCurrent();
}

bool FfmpegMovieVideo::GoToNextSample() {
  if (current_ < 0 || current_ + 1 >= static_cast<std::ptrdiff_t>(times_.size())) return false;
  ++current_;
  DecodeCurrent();  // a sample that does not decode keeps the last picture
  return true;
}

}  // namespace

std::unique_ptr<MovieVideoSource> OpenMovieVideo(const std::string& path) {
  auto movie = std::make_unique<FfmpegMovieVideo>();
  if (!movie->Open(path)) return nullptr;
  return movie;
}

}  // namespace zq48

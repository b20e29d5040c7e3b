#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "sources/decoder_loop.h"
#include "sources/display_view.h"
#include "sources/ffmpeg_handles.h"
#include "sources/ffmpeg_movie_media.h"
#include "sources/movie_video_source.h"
#include "sources/stream_kinds.h"

namespace zq48 {

namespace {

// Movie time is counted in microseconds, the demuxer's own base.
constexpr std::int64_t kScale = AV_TIME_BASE;

const AVInputFormat* MovieFormat() { return av_find_input_format("mov"); }

// A sample as read from the track: decode order, display time.
struct SampleEntry {
  std::int64_t pts = 0;  // stream time base
  std::int64_t dts = 0;
  bool key = false;
};

class FfmpegMovieVideo : public MovieVideoSource {
 public:
  bool Open(const std::string& path);

  std::int64_t TimeScale() const override { return kScale; }
  std::int64_t Duration() const override { return duration_; }
  std::int64_t SampleCount() const override { return static_cast<std::int64_t>(times_.size()); }
  bool GoToFirstSampleAtOrAfter(std::int64_t time) override;
  bool GoToNextSample() override;
  std::int64_t CurrentTime() const override { return current_ < 0 ? 0 : MovieTime(times_[current_]); }
  const std::uint8_t* Picture() override { return hasPicture_ ? picture_.data() : nullptr; }
  int width() const override { return view_.width; }
  int height() const override { return view_.height; }

 private:
  enum class Decoded { Picture, Overshot, None };

  std::int64_t MovieTime(std::int64_t ts) const {
    return av_rescale_q(ts - origin_, stream_->time_base, AVRational{1, kScale});
  }
  bool ReadSamples();
  bool SeekToDts(std::int64_t dts);
  // Decodes until the picture of the current sample is out. Pictures shown
  // before it are passed over; with `firstAfterSeek`, a first picture that
  // comes after it means the seek landed too late.
  Decoded DecodeCurrent(bool firstAfterSeek);
  bool Convert(const AVFrame& frame);

  ff::FormatContextPtr movie_;
  AVStream* stream_ = nullptr;
  ff::CodecContextPtr decoder_;
  ff::PacketPtr packet_{av_packet_alloc()};
  ff::FramePtr frame_{av_frame_alloc()};
  ff::SwsPtr sws_;
  std::vector<SampleEntry> samples_;  // the shown samples, in decode order
  std::vector<std::int64_t> times_;   // their display times (stream time base), in order
  std::int64_t origin_ = 0;           // the movie's time line start (stream time base)
  std::int64_t duration_ = 0;
  std::ptrdiff_t current_ = -1;
  bool draining_ = false;
  DisplayView view_;
  int scaledWidth_ = 0;  // the picture scaled, before it is turned
  int scaledHeight_ = 0;
  std::vector<std::uint8_t> scaled_;
  std::vector<std::uint8_t> picture_;
  bool hasPicture_ = false;
};

bool FfmpegMovieVideo::Open(const std::string& path) {
  const bool url = path.find("://") != std::string::npos;
  if (!url && (path.empty() || path.size() >= PATH_MAX)) return false;
  movie_ = ff::OpenInput(path, MovieFormat());
  if (!movie_ || avformat_find_stream_info(movie_.get(), nullptr) < 0) return false;
  const int index = ff::ChosenStreamOf(movie_.get(), ff::StreamKind::Pictures);
  if (index >= 0) stream_ = movie_->streams[index];
  if (!stream_ || !packet_ || !frame_) return false;
  decoder_ = ff::OpenDecoder(stream_);
  if (!decoder_) return false;
  view_ = MovieTrackView(stream_);
  if (view_.width <= 0 || view_.height <= 0) return false;
  scaledWidth_ = view_.UnturnedWidth();
  scaledHeight_ = view_.UnturnedHeight();
  // Room after the picture for what swscale writes past a row's end.
  picture_.assign(static_cast<std::size_t>(view_.width) * view_.height * 3 + ff::kSwsRowSlack, 0);
  for (unsigned i = 0; i < movie_->nb_streams; ++i)
    if (movie_->streams[i] != stream_) movie_->streams[i]->discard = AVDISCARD_ALL;
  if (!ReadSamples()) return false;
  origin_ = static_cast<std::int64_t>(std::llround(MovieTimelineOrigin(path) / av_q2d(stream_->time_base)));
  if (movie_->duration != AV_NOPTS_VALUE && movie_->duration > 0) duration_ = movie_->duration;
  return true;
}

// The track's samples come in decode order; with B-frames their display
// times differ from that order, and only they say which picture a sample
// shows. Reading the packets once (without decoding) gives every shown
// sample's display time; samples an edit list hides are left out, as the
// probe leaves them out of the frame rate.
bool FfmpegMovieVideo::ReadSamples() {
  while (av_read_frame(movie_.get(), packet_.get()) >= 0) {
    const AVPacket& p = *packet_;
    if (p.stream_index == stream_->index && !(p.flags & AV_PKT_FLAG_DISCARD)) {
      const std::int64_t dts = p.dts != AV_NOPTS_VALUE ? p.dts : p.pts;
      const std::int64_t pts = p.pts != AV_NOPTS_VALUE ? p.pts : dts;
      if (pts != AV_NOPTS_VALUE) samples_.push_back({pts, dts, (p.flags & AV_PKT_FLAG_KEY) != 0});
    }
    av_packet_unref(packet_.get());
  }
  for (const SampleEntry& s : samples_) times_.push_back(s.pts);
  std::sort(times_.begin(), times_.end());
  return true;
}

bool FfmpegMovieVideo::SeekToDts(std::int64_t dts) {
  if (av_seek_frame(movie_.get(), stream_->index, dts, AVSEEK_FLAG_BACKWARD) < 0) return false;
  avcodec_flush_buffers(decoder_.get());
  draining_ = false;
  return true;
}

// Scales the decoded picture to the box (before turning it).
bool FfmpegMovieVideo::Convert(const AVFrame& frame) {
  sws_.reset(sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                            scaledWidth_, scaledHeight_, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr,
                            nullptr, nullptr));
  if (!sws_) return false;
  const bool turned = view_.Turned();
  if (turned) scaled_.resize(picture_.size());
  std::uint8_t* dst[4] = {turned ? scaled_.data() : picture_.data(), nullptr, nullptr, nullptr};
  int stride[4] = {scaledWidth_ * 3, 0, 0, 0};
  if (sws_scale(sws_.get(), frame.data, frame.linesize, 0, frame.height, dst, stride) <= 0) return false;
  if (turned) TurnPicture(scaled_.data(), view_, picture_.data(), static_cast<std::ptrdiff_t>(view_.width) * 3);
  return true;
}

FfmpegMovieVideo::Decoded FfmpegMovieVideo::DecodeCurrent(bool firstAfterSeek) {
  const std::int64_t target = times_[current_];
  Decoded result = Decoded::None;
  auto take = [&](const AVFrame& frame) {
    const std::int64_t ts = frame.best_effort_timestamp;
    const bool before = ts != AV_NOPTS_VALUE && ts < target;
    const bool overshot = firstAfterSeek && ts != AV_NOPTS_VALUE && ts > target;
    firstAfterSeek = false;
    if (overshot) {
      result = Decoded::Overshot;
      return false;
    }
    if (before) return true;
    hasPicture_ = Convert(frame);
    result = Decoded::Picture;
    return false;
  };
  auto feed = [this] {
    return ff::SendNextPacket(movie_.get(), stream_->index, decoder_.get(), packet_.get());
  };
  ff::RunDecoder(decoder_.get(), frame_.get(), draining_, feed, take);
  return result;
}

bool FfmpegMovieVideo::GoToFirstSampleAtOrAfter(std::int64_t time) {
  if (time < 0 || samples_.empty()) return false;
  const std::int64_t ts = av_rescale_q(time, AVRational{1, kScale}, stream_->time_base) + origin_;
  auto it = std::lower_bound(times_.begin(), times_.end(), ts);
  if (it == times_.end()) return false;
  current_ = it - times_.begin();
  // Decoding starts at the last key sample shown at or before the target:
  // every picture shown from there on decodes from it.
  std::int64_t from = samples_.front().dts;
  for (const SampleEntry& s : samples_)
    if (s.key && s.pts <= *it) from = s.dts;
  if (!SeekToDts(from)) return false;
  Decoded result = DecodeCurrent(from != samples_.front().dts);
  if (result == Decoded::Overshot) {
    // The seek landed after the picture: decode from the start instead.
    if (!SeekToDts(samples_.front().dts)) return false;
    result = DecodeCurrent(false);
  }
  return result == Decoded::Picture;
}

bool FfmpegMovieVideo::GoToNextSample() {
  if (current_ < 0 || current_ + 1 >= static_cast<std::ptrdiff_t>(times_.size())) return false;
  ++current_;
  DecodeCurrent(false);  // a sample that does not decode keeps the last picture
  return true;
}

}  // namespace

std::unique_ptr<MovieVideoSource> OpenMovieVideo(const std::string& path) {
  auto movie = std::make_unique<FfmpegMovieVideo>();
  if (!movie->Open(path)) return nullptr;
  return movie;
}

}  // namespace zq48

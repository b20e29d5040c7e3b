#include "sources/decode_graph.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <system_error>

#include "core/pause_wait.h"
#include "sources/decoder_loop.h"
#include "sources/stream_kinds.h"
#include "sources/timeline_origin.h"

namespace zq48 {

namespace {

constexpr std::size_t kVideoPackets = 64;
constexpr std::size_t kAudioPackets = 256;
// Silence before late sound is handed on in pieces of at most this many seconds.
constexpr double kSilencePiece = 1.0;

}  // namespace

DecodeGraph::~DecodeGraph() { Stop(); }

DecodeGraph::OpenStatus DecodeGraph::Open(const std::string& path, bool decodeVideo,
                                          bool decodeAudio) {
  openStatus_ = OpenBranches(path, decodeVideo, decodeAudio);
  return openStatus_;
}

DecodeGraph::OpenStatus DecodeGraph::OpenBranches(const std::string& path, bool decodeVideo,
                                                  bool decodeAudio) {
  source_ = ff::OpenInput(path);
  if (!source_ || avformat_find_stream_info(source_.get(), nullptr) < 0) return OpenStatus::NoSource;
  origin_ = FindTimelineOrigin(source_.get(), &replay_);
  // What is not decoded is skipped by the reader.
  for (unsigned i = 0; i < source_->nb_streams; ++i) source_->streams[i]->discard = AVDISCARD_ALL;

  if (decodeVideo) {
    video_.stream = ff::ChosenStreamOf(source_.get(), ff::StreamKind::Pictures);
    if (video_.stream < 0) return OpenStatus::VideoFailed;
    AVStream* st = source_->streams[video_.stream];
    // One decoding thread: the graph's own threads already keep both cores
    // busy, and FFmpeg's frame threads bought nothing measurable here.
    video_.decoder = ff::OpenDecoder(st);
    if (!video_.decoder || video_.decoder->width <= 0 || video_.decoder->height <= 0)
      return OpenStatus::VideoFailed;
    view_ = DisplayViewOf(st);
    if (view_.width <= 0 || view_.height <= 0) return OpenStatus::VideoFailed;
    width_ = view_.width;
    height_ = view_.height;
    st->discard = AVDISCARD_DEFAULT;
    video_.packets = std::make_unique<BlockingQueue<ff::PacketPtr>>(kVideoPackets);
  }
  if (decodeAudio) {
    audio_.stream = ff::ChosenStreamOf(source_.get(), ff::StreamKind::Sound);
    if (audio_.stream < 0) return OpenStatus::NoAudioStream;
    AVStream* st = source_->streams[audio_.stream];
    audio_.decoder = ff::OpenDecoder(st);
    if (!audio_.decoder || audio_.decoder->ch_layout.nb_channels <= 0 ||
        audio_.decoder->sample_rate <= 0)
      return OpenStatus::AudioFailed;
    channels_ = SoundConverter::OutputChannels(audio_.decoder->ch_layout.nb_channels);
    sampleRate_ = audio_.decoder->sample_rate;
    sound_ = std::make_unique<SoundConverter>(channels_, sampleRate_);
    st->discard = AVDISCARD_DEFAULT;
    audio_.packets = std::make_unique<BlockingQueue<ff::PacketPtr>>(kAudioPackets);
  }
  const bool mayBreak = (source_->iformat->flags & AVFMT_TS_DISCONT) != 0;
  for (Branch* b : {&video_, &audio_})
    if (b->packets)
      b->mender = std::make_unique<TimestampMender>(source_->streams[b->stream]->time_base, mayBreak);
  return OpenStatus::Ok;
}

void DecodeGraph::SetRange(std::int64_t start100ns, std::int64_t stop100ns) {
  rangeStart_ = start100ns / 1e7;
  rangeLength_ = std::max(0.0, (stop100ns - start100ns) / 1e7);
  // Counted in whole samples, so a 5-second range holds 5 x rate of them, not one less.
  if (sampleRate_ > 0) soundLimit_ = std::llround(rangeLength_ * sampleRate_);
  if (start100ns > 0 && source_) {
    replay_.clear();  // reading starts again from the range
    SeekToRangeStart();
  }
}

// Files without an index (MPEG program and transport streams) seek to about
// the time asked, and decoding starts at the next key picture after it. Seek
// further back until a key picture at or before the start comes first; what
// lies before the start is decoded and dropped.
void DecodeGraph::SeekToRangeStart() {
  const double target = rangeStart_ + origin_;
  for (double margin : {0.0, 1.0, 4.0, 16.0, 64.0}) {
    const double at = std::max(origin_, target - margin);
    const auto position = static_cast<std::int64_t>(at * AV_TIME_BASE);
    if (av_seek_frame(source_.get(), -1, position, AVSEEK_FLAG_BACKWARD) < 0) break;
    if (!video_.packets || at <= origin_) return;
    const bool reached = FirstKeyPictureTime() <= target + 1e-6;
    av_seek_frame(source_.get(), -1, position, AVSEEK_FLAG_BACKWARD);
    if (reached) return;
  }
  avformat_seek_file(source_.get(), -1, INT64_MIN, static_cast<std::int64_t>(origin_ * AV_TIME_BASE),
                     INT64_MAX, 0);
}

// The time of the first key picture read from the current position, in
// seconds of the file; +infinity when none comes soon.
double DecodeGraph::FirstKeyPictureTime() {
  const AVStream* st = source_->streams[video_.stream];
  ff::PacketPtr packet(av_packet_alloc());
  for (int n = 0; packet && n < 4096 && av_read_frame(source_.get(), packet.get()) >= 0; ++n) {
    const bool key = packet->stream_index == video_.stream && (packet->flags & AV_PKT_FLAG_KEY);
    const std::int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    av_packet_unref(packet.get());
    if (key && ts != AV_NOPTS_VALUE) return ts * av_q2d(st->time_base);
  }
  return 1e300;
}

double DecodeGraph::SecondsOf(const AVStream* stream, std::int64_t pts) const {
  return pts * av_q2d(stream->time_base) - origin_ - rangeStart_;
}

bool DecodeGraph::Run(SharedDelivery pictures, Delivery sound, std::function<void()> completed) {
  deliverSharedPictures_ = std::move(pictures);
  return Run(Delivery{}, std::move(sound), std::move(completed));
}

bool DecodeGraph::Run(Delivery pictures, Delivery sound, std::function<void()> completed) {
  if (pictures) deliverPictures_ = std::move(pictures);
  deliverSound_ = std::move(sound);
  completed_ = std::move(completed);
  runningParts_ = 1 + (video_.packets ? 1 : 0) + (audio_.packets ? 1 : 0);
  try {
    threads_.emplace_back([this] { ReadPackets(); });
    if (video_.packets) {
      threads_.emplace_back([this] { DecodePictures(); });
    }
    if (audio_.packets) threads_.emplace_back([this] { DecodeSound(); });
  } catch (const std::system_error&) {
    Stop();
    return false;
  }
  return true;
}

void DecodeGraph::Pause() {
  std::lock_guard lock(pauseMutex_);
  paused_ = true;
}

void DecodeGraph::Resume() {
  {
    std::lock_guard lock(pauseMutex_);
    paused_ = false;
  }
  pauseChanged_.notify_all();
}

void DecodeGraph::Stop() {
  {
    std::lock_guard lock(pauseMutex_);
    stopping_ = true;
  }
  pauseChanged_.notify_all();
  for (Branch* b : {&video_, &audio_})
    if (b->packets) b->packets->Cancel();
  for (std::thread& t : threads_)
    if (t.joinable()) t.join();
  threads_.clear();
}

bool DecodeGraph::StoppedAfterPause() {
  std::unique_lock lock(pauseMutex_);
  return zq48::StoppedAfterPause([this] { return paused_; }, [this] { return stopping_.load(); },
                                 [this, &lock] { pauseChanged_.wait(lock); });
}

void DecodeGraph::PartEnded() {
  if (--runningParts_ == 0 && !stopping_ && completed_) completed_();
}

// ---- reading --------------------------------------------------------------

void DecodeGraph::ReadPackets() {
  auto wanted = [](const Branch& b) { return b.packets && !b.packets->Cancelled(); };
  const bool decoding = video_.packets || audio_.packets;
  while (!stopping_) {
    // Once every decoded branch has reached the end of the range, reading on is pointless.
    if (decoding && !wanted(video_) && !wanted(audio_)) break;
    ff::PacketPtr packet;
    if (!replay_.empty()) {
      packet = std::move(replay_.front());
      replay_.pop_front();
    } else {
      packet.reset(av_packet_alloc());
      if (!packet || av_read_frame(source_.get(), packet.get()) < 0) break;  // end, or a damaged tail
    }
    Branch* branch = packet->stream_index == video_.stream   ? &video_
                     : packet->stream_index == audio_.stream ? &audio_
                                                             : nullptr;
    if (branch && branch->packets) {
      branch->mender->Mend(*packet);
      branch->packets->Push(std::move(packet));
    }
  }
  for (Branch* b : {&video_, &audio_})
    if (b->packets) b->packets->Finish();
  PartEnded();
}

// ---- pictures ---------------------------------------------------------------

bool DecodeGraph::ConvertPicture(const AVFrame& frame, std::vector<std::uint8_t>& bgr) {
  const int shownWidth = view_.UnturnedWidth(), shownHeight = view_.UnturnedHeight();
  if (!sws_ || swsFormat_ != frame.format || swsWidth_ != frame.width || swsHeight_ != frame.height) {
    // Besides the colours, this widens non-square pixels to the shown size.
    sws_.reset(sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                              shownWidth, shownHeight, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr,
                              nullptr, nullptr));
    swsFormat_ = frame.format;
    swsWidth_ = frame.width;
    swsHeight_ = frame.height;
    if (!sws_) return false;
  }
  const int stride = width_ * 3;
  bgr.resize(static_cast<std::size_t>(stride) * height_);
  std::uint8_t* const lastRow = bgr.data() + static_cast<std::size_t>(height_ - 1) * stride;
  if (!view_.Turned() && shownWidth % ff::kSwsRowBlock == 0) {
    // Writing from the last row upwards with a negative stride turns the picture bottom-up.
    std::uint8_t* dst[4] = {lastRow, nullptr, nullptr, nullptr};
    int dstStride[4] = {-stride, 0, 0, 0};
    return sws_scale(sws_.get(), frame.data, frame.linesize, 0, frame.height, dst, dstStride) > 0;
  }
  // A row that swscale writes past its end must run into a row written
  // after it, or into the room after the buffer: top-down first, then
  // turned or flipped bottom-up.
  const int unturnedStride = shownWidth * 3;
  unturned_.resize(static_cast<std::size_t>(unturnedStride) * shownHeight + ff::kSwsRowSlack);
  std::uint8_t* dst[4] = {unturned_.data(), nullptr, nullptr, nullptr};
  int dstStride[4] = {unturnedStride, 0, 0, 0};
  if (sws_scale(sws_.get(), frame.data, frame.linesize, 0, frame.height, dst, dstStride) <= 0) return false;
  if (view_.Turned()) {
    TurnPicture(unturned_.data(), view_, lastRow, -stride);
  } else {
    for (int y = 0; y < height_; ++y)
      std::memcpy(lastRow - static_cast<std::ptrdiff_t>(y) * stride, unturned_.data() + static_cast<std::size_t>(y) * stride, stride);
  }
  return true;
}

bool DecodeGraph::HandlePicture(const AVFrame& frame, double& lastTime) {
  const AVStream* st = source_->streams[video_.stream];
  const AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : AVRational{25, 1};
  double t;
  if (frame.best_effort_timestamp != AV_NOPTS_VALUE) {
    t = SecondsOf(st, frame.best_effort_timestamp);
  } else {
    t = lastTime + 1.0 / av_q2d(rate);
  }
  lastTime = t;
  // A picture at the start may come out a hair below it in floating point.
  if (t < -1e-6) {
    // Before the range: decoded only to reach it, but the latest one is
    // still on screen at the start.
    av_frame_unref(beforeStart_.get());
    if (av_frame_ref(beforeStart_.get(), &frame) < 0) av_frame_unref(beforeStart_.get());
    return true;
  }
  if (t >= rangeLength_) return false;  // past the range: this branch is done
  if (!picturesDelivered_ && t > 1e-6 && beforeStart_->buf[0] && !PushPicture(*beforeStart_, 0.0)) return false;
  picturesEnd_ = std::min(rangeLength_, std::max(picturesEnd_, t + 1.0 / av_q2d(rate)));
  return PushPicture(frame, std::max(t, 0.0));
}

// Converts the picture and hands it on from the decoding thread itself: the
// readers (each variant's pipeline) queue what they take, so another queue
// and thread here would only add a hand-off per picture.
bool DecodeGraph::PushPicture(const AVFrame& frame, double time) {
  BufferPool::Buffer bgr = pool_->Take();
  if (!ConvertPicture(frame, bgr)) return true;  // a picture that does not convert is skipped
  picturesDelivered_ = true;
  if (StoppedAfterPause()) return false;
  if (deliverSharedPictures_) {
    deliverSharedPictures_(time, pool_->Share(std::move(bgr)));
  } else {
    deliverPictures_(time, bgr.data(), bgr.size());
    pool_->Give(std::move(bgr));
  }
  return true;
}

template <class Body>
void DecodeGraph::DecodeBranch(Branch& branch, Body&& body) {
  ff::FramePtr frame(av_frame_alloc());
  bool draining = false;
  auto feed = [&] {
    std::optional<ff::PacketPtr> packet = branch.packets->Pop();
    if (!packet) return stopping_ ? ff::Input::Abandon : ff::Input::Ended;
    avcodec_send_packet(branch.decoder.get(), packet->get());  // a damaged packet is skipped
    return ff::Input::Sent;
  };
  ff::RunDecoder(branch.decoder.get(), frame.get(), draining, feed, body);
}

void DecodeGraph::DecodePictures() {
  double lastTime = -1e300;
  DecodeBranch(video_, [&](const AVFrame& f) { return HandlePicture(f, lastTime); });
  // A range that starts after the last picture still shows it.
  if (!picturesDelivered_ && beforeStart_->buf[0] && !stopping_) {
    const AVStream* st = source_->streams[video_.stream];
    const AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : AVRational{25, 1};
    picturesEnd_ = std::min(rangeLength_, 1.0 / av_q2d(rate));
    PushPicture(*beforeStart_, 0.0);
  }
  av_frame_unref(beforeStart_.get());
  video_.packets->Cancel();  // the reader drops what still comes for this branch
  PartEnded();
}

// ---- sound --------------------------------------------------------------------

bool DecodeGraph::DeliverSound(const AVFrame& frame) {
  const AVStream* st = source_->streams[audio_.stream];
  double t = frame.pts != AV_NOPTS_VALUE ? SecondsOf(st, frame.pts)
                                         : (nextSoundTime_ >= 0 ? nextSoundTime_ : 0.0);
  if (t >= rangeLength_ || soundDelivered_ >= soundLimit_) return false;
  const int n = sound_->Convert(frame);
  if (n <= 0) return true;  // nothing came out, or a frame that does not convert is skipped
  const int rate = sampleRate_;
  nextSoundTime_ = t + static_cast<double>(n) / rate;
  // Samples before the range start are dropped; the range ends after its
  // count of samples.
  const std::int64_t first = t < 0 ? std::min<std::int64_t>(n, std::llround(-t * rate)) : 0;
  // Sound that starts after the time line's 0 begins with silence.
  if (soundDelivered_ == 0 && t > 0 && !DeliverSilence(t)) return false;
  const std::int64_t count = std::min<std::int64_t>(n - first, soundLimit_ - soundDelivered_);
  if (count > 0) {
    if (StoppedAfterPause()) return false;
    const std::size_t blockBytes = static_cast<std::size_t>(channels_) * 2;
    const double from = t + static_cast<double>(first) / rate;
    deliverSound_(from, sound_->pcm() + first * blockBytes, static_cast<std::size_t>(count) * blockBytes);
    soundDelivered_ += count;
    soundEnd_ = std::max(soundEnd_, from + static_cast<double>(count) / rate);
  }
  return soundDelivered_ < soundLimit_;
}

bool DecodeGraph::DeliverSilence(double seconds) {
  const std::size_t blockBytes = static_cast<std::size_t>(channels_) * 2;
  std::int64_t left = std::min<std::int64_t>(std::llround(seconds * sampleRate_), soundLimit_);
  const auto piece = static_cast<std::int64_t>(kSilencePiece * sampleRate_);
  const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(std::min(left, piece)) * blockBytes, 0);
  while (left > 0) {
    if (StoppedAfterPause()) return false;
    const std::int64_t count = std::min(left, piece);
    deliverSound_(static_cast<double>(soundDelivered_) / sampleRate_, zeros.data(),
                  static_cast<std::size_t>(count) * blockBytes);
    soundDelivered_ += count;
    left -= count;
  }
  soundEnd_ = static_cast<double>(soundDelivered_) / sampleRate_;
  return soundDelivered_ < soundLimit_;
}

void DecodeGraph::DecodeSound() {
  DecodeBranch(audio_, [this](const AVFrame& f) { return DeliverSound(f); });
  audio_.packets->Cancel();
  PartEnded();
}

}  // namespace zq48

#include "sources/decode_graph.h"

#include <cmath>
#include <system_error>

namespace zq48 {

namespace {

constexpr std::size_t kVideoPackets = 64;
constexpr std::size_t kAudioPackets = 256;
constexpr std::size_t kPictures = 4;

int FirstStream(const AVFormatContext* ctx, bool pictures) {
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    const AVStream* st = ctx->streams[i];
    if (pictures ? ff::IsPictureStream(st) : st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
      return static_cast<int>(i);
  }
  return -1;
}

// Runs `body` as long as the decoder gives frames; false from `body` stops early.
template <class Body>
bool ReceiveFrames(AVCodecContext* decoder, AVFrame* frame, Body&& body) {
  while (avcodec_receive_frame(decoder, frame) == 0) {
    bool more = body(*frame);
    av_frame_unref(frame);
    if (!more) return false;
  }
  return true;
}

}  // namespace

DecodeGraph::~DecodeGraph() { Stop(); }

DecodeGraph::OpenStatus DecodeGraph::Open(const std::string& path, bool decodeVideo,
                                          bool decodeAudio) {
  source_ = ff::OpenInput(path);
  if (!source_ || avformat_find_stream_info(source_.get(), nullptr) < 0) return OpenStatus::NoSource;
  if (source_->start_time != AV_NOPTS_VALUE) fileStart_ = source_->start_time / double(AV_TIME_BASE);
  // What is not decoded is skipped by the reader.
  for (unsigned i = 0; i < source_->nb_streams; ++i) source_->streams[i]->discard = AVDISCARD_ALL;

  if (decodeVideo) {
    video_.stream = FirstStream(source_.get(), true);
    if (video_.stream < 0) return OpenStatus::VideoFailed;
    AVStream* st = source_->streams[video_.stream];
    // One decoding thread: the graph's own threads already keep both cores
    // busy, and FFmpeg's frame threads bought nothing measurable here.
    video_.decoder = ff::OpenDecoder(st);
    if (!video_.decoder || video_.decoder->width <= 0 || video_.decoder->height <= 0)
      return OpenStatus::VideoFailed;
    width_ = video_.decoder->width;
    height_ = video_.decoder->height;
    st->discard = AVDISCARD_DEFAULT;
    video_.packets = std::make_unique<BlockingQueue<ff::PacketPtr>>(kVideoPackets);
  }
  if (decodeAudio) {
    audio_.stream = FirstStream(source_.get(), false);
    if (audio_.stream < 0) return OpenStatus::NoAudioStream;
    AVStream* st = source_->streams[audio_.stream];
    audio_.decoder = ff::OpenDecoder(st);
    if (!audio_.decoder || audio_.decoder->ch_layout.nb_channels <= 0 ||
        audio_.decoder->sample_rate <= 0)
      return OpenStatus::AudioFailed;
    channels_ = audio_.decoder->ch_layout.nb_channels;
    sampleRate_ = audio_.decoder->sample_rate;
    st->discard = AVDISCARD_DEFAULT;
    audio_.packets = std::make_unique<BlockingQueue<ff::PacketPtr>>(kAudioPackets);
  }
  return OpenStatus::Ok;
}

void DecodeGraph::SetRange(std::int64_t start100ns, std::int64_t stop100ns) {
  rangeStart_ = start100ns / 1e7;
  rangeLength_ = std::max(0.0, (stop100ns - start100ns) / 1e7);
  if (start100ns > 0 && source_) {
    std::int64_t target = static_cast<std::int64_t>((rangeStart_ + fileStart_) * AV_TIME_BASE);
    av_seek_frame(source_.get(), -1, target, AVSEEK_FLAG_BACKWARD);
  }
}

double DecodeGraph::SecondsOf(const AVStream* stream, std::int64_t pts) const {
  return pts * av_q2d(stream->time_base) - fileStart_ - rangeStart_;
}

bool DecodeGraph::Run(Delivery pictures, Delivery sound, std::function<void()> completed) {
  deliverPictures_ = std::move(pictures);
  deliverSound_ = std::move(sound);
  completed_ = std::move(completed);
  if (video_.packets) pictures_ = std::make_unique<BlockingQueue<Picture>>(kPictures);
  runningParts_ = 1 + (video_.packets ? 1 : 0) + (audio_.packets ? 1 : 0);
  try {
    threads_.emplace_back([this] { ReadPackets(); });
    if (video_.packets) {
      threads_.emplace_back([this] { DecodePictures(); });
      threads_.emplace_back([this] { DeliverPictures(); });
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
  if (pictures_) pictures_->Cancel();
  for (std::thread& t : threads_)
    if (t.joinable()) t.join();
  threads_.clear();
}

void DecodeGraph::WaitWhilePaused() {
  std::unique_lock lock(pauseMutex_);
  pauseChanged_.wait(lock, [this] { return !paused_ || stopping_; });
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
    ff::PacketPtr packet(av_packet_alloc());
    if (!packet || av_read_frame(source_.get(), packet.get()) < 0) break;  // end, or a damaged tail
    Branch* branch = packet->stream_index == video_.stream   ? &video_
                     : packet->stream_index == audio_.stream ? &audio_
                                                             : nullptr;
    if (branch && branch->packets) branch->packets->Push(std::move(packet));
  }
  for (Branch* b : {&video_, &audio_})
    if (b->packets) b->packets->Finish();
  PartEnded();
}

// ---- pictures ---------------------------------------------------------------

bool DecodeGraph::ConvertPicture(const AVFrame& frame, std::vector<std::uint8_t>& bgr) {
  if (!sws_ || swsFormat_ != frame.format || swsWidth_ != frame.width || swsHeight_ != frame.height) {
    sws_.reset(sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                              width_, height_, AV_PIX_FMT_BGR24, SWS_BICUBIC, nullptr, nullptr,
                              nullptr));
    swsFormat_ = frame.format;
    swsWidth_ = frame.width;
    swsHeight_ = frame.height;
    if (!sws_) return false;
  }
  const int stride = width_ * 3;
  bgr.resize(static_cast<std::size_t>(stride) * height_);
  // Writing from the last row upwards with a negative stride turns the picture bottom-up.
  std::uint8_t* dst[4] = {bgr.data() + static_cast<std::size_t>(height_ - 1) * stride, nullptr,
                          nullptr, nullptr};
  int dstStride[4] = {-stride, 0, 0, 0};
  return sws_scale(sws_.get(), frame.data, frame.linesize, 0, frame.height, dst, dstStride) > 0;
}

bool DecodeGraph::HandlePicture(const AVFrame& frame, double& lastTime) {
  const AVStream* st = source_->streams[video_.stream];
  double t;
  if (frame.best_effort_timestamp != AV_NOPTS_VALUE) {
    t = SecondsOf(st, frame.best_effort_timestamp);
  } else {
    AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : AVRational{25, 1};
    t = lastTime + 1.0 / av_q2d(rate);
  }
  lastTime = t;
  if (t < 0) return true;                 // before the range: decoded only to reach it
  if (t >= rangeLength_) return false;    // past the range: this branch is done
  Picture picture;
  picture.time = t;
  {
    std::lock_guard lock(spareMutex_);
    if (!spare_.empty()) {
      picture.bgr = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  if (!ConvertPicture(frame, picture.bgr)) return true;  // a picture that does not convert is skipped
  return pictures_->Push(std::move(picture));
}

void DecodeGraph::DecodePictures() {
  ff::FramePtr frame(av_frame_alloc());
  double lastTime = -1e300;
  bool more = true;
  auto handle = [&](const AVFrame& f) { return HandlePicture(f, lastTime); };
  while (more) {
    std::optional<ff::PacketPtr> packet = video_.packets->Pop();
    if (!packet) break;
    avcodec_send_packet(video_.decoder.get(), packet->get());  // a damaged packet is skipped
    more = ReceiveFrames(video_.decoder.get(), frame.get(), handle);
  }
  if (more && !stopping_) {
    avcodec_send_packet(video_.decoder.get(), nullptr);
    ReceiveFrames(video_.decoder.get(), frame.get(), handle);
  }
  video_.packets->Cancel();  // the reader drops what still comes for this branch
  pictures_->Finish();
}

void DecodeGraph::DeliverPictures() {
  while (std::optional<Picture> picture = pictures_->Pop()) {
    WaitWhilePaused();
    if (stopping_) break;
    deliverPictures_(picture->time, picture->bgr.data(), picture->bgr.size());
    std::lock_guard lock(spareMutex_);
    spare_.push_back(std::move(picture->bgr));
  }
  PartEnded();
}

// ---- sound --------------------------------------------------------------------

bool DecodeGraph::DeliverSound(const AVFrame& frame) {
  const AVStream* st = source_->streams[audio_.stream];
  double t = frame.pts != AV_NOPTS_VALUE ? SecondsOf(st, frame.pts)
                                         : (nextSoundTime_ >= 0 ? nextSoundTime_ : 0.0);
  if (t >= rangeLength_) return false;
  if (!swr_) {
    SwrContext* raw = nullptr;
    AVChannelLayout layout = frame.ch_layout;  // this FFmpeg takes the layouts as mutable
    if (swr_alloc_set_opts2(&raw, &layout, AV_SAMPLE_FMT_S16, frame.sample_rate, &layout,
                            static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0,
                            nullptr) < 0)
      return false;
    swr_.reset(raw);
    if (swr_init(swr_.get()) < 0) return false;
  }
  const int rate = sampleRate_;
  const int blockBytes = channels_ * 2;
  pcm_.resize(static_cast<std::size_t>(frame.nb_samples) * blockBytes);
  std::uint8_t* out[1] = {pcm_.data()};
  int n = swr_convert(swr_.get(), out, frame.nb_samples,
                      const_cast<const std::uint8_t**>(frame.extended_data), frame.nb_samples);
  if (n <= 0) return true;
  nextSoundTime_ = t + static_cast<double>(n) / rate;
  // Cut the samples outside the range.
  int first = t < 0 ? std::min(n, static_cast<int>(std::ceil(-t * rate))) : 0;
  int last = n;
  bool ends = nextSoundTime_ > rangeLength_;
  if (ends) last = std::max(first, static_cast<int>(std::floor((rangeLength_ - t) * rate)));
  if (last > first) {
    WaitWhilePaused();
    if (stopping_) return false;
    deliverSound_(t + static_cast<double>(first) / rate, pcm_.data() + first * blockBytes,
                  static_cast<std::size_t>(last - first) * blockBytes);
  }
  return !ends;
}

void DecodeGraph::DecodeSound() {
  ff::FramePtr frame(av_frame_alloc());
  bool more = true;
  auto handle = [this](const AVFrame& f) { return DeliverSound(f); };
  while (more) {
    std::optional<ff::PacketPtr> packet = audio_.packets->Pop();
    if (!packet) break;
    avcodec_send_packet(audio_.decoder.get(), packet->get());
    more = ReceiveFrames(audio_.decoder.get(), frame.get(), handle);
  }
  if (more && !stopping_) {
    avcodec_send_packet(audio_.decoder.get(), nullptr);
    ReceiveFrames(audio_.decoder.get(), frame.get(), handle);
  }
  audio_.packets->Cancel();
  PartEnded();
}

}  // namespace zq48

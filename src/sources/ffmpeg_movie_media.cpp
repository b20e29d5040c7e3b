#include "sources/ffmpeg_movie_media.h"

#include <algorithm>
#include <cmath>

#include "sources/ffmpeg_handles.h"
#include "sources/stream_kinds.h"

namespace zq48 {

namespace {

// Movie facts are reported in microseconds, the demuxer's own time base.
constexpr std::int64_t kTimeScale = AV_TIME_BASE;

const AVInputFormat* MovieFormat() { return av_find_input_format("mov"); }

std::int64_t TrackDataSize(const AVStream* stream) {
  std::int64_t total = 0;
  int count = avformat_index_get_entries_count(stream);
  for (int i = 0; i < count; ++i) {
    const AVIndexEntry* entry = avformat_index_get_entry(const_cast<AVStream*>(stream), i);
    if (entry) total += entry->size;
  }
  return total;
}

MovieTrack DescribeTrack(const AVStream* stream) {
  MovieTrack track;
  switch (ff::KindOf(stream)) {
    case ff::StreamKind::Pictures: track.media = MovieTrack::Media::Video; break;
    case ff::StreamKind::Sound: track.media = MovieTrack::Media::Sound; break;
    case ff::StreamKind::Other: break;
  }
  if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
    track.duration = av_rescale_q(stream->duration, stream->time_base, AVRational{1, kTimeScale});
  track.dataSize = TrackDataSize(stream);
  return track;
}

std::optional<SoundDescription> DescribeSound(const AVStream* stream) {
  const AVCodecParameters& par = *stream->codecpar;
  if (par.ch_layout.nb_channels <= 0 || par.sample_rate <= 0) return std::nullopt;
  SoundDescription sound;
  sound.channels = par.ch_layout.nb_channels;
  sound.sampleSize = SoundSampleSize(par);
  sound.rateFixed = SoundRateFixed(par.sample_rate);
  return sound;
}

// The track's display matrix (a, b, u, c, d, v, x, y, w); null for none.
const std::int32_t* DisplayMatrixOf(const AVStream* stream) {
#if LIBAVFORMAT_VERSION_INT >= AV_VERSION_INT(60, 15, 100)
  const AVPacketSideData* side =
      av_packet_side_data_get(stream->codecpar->coded_side_data,
                              stream->codecpar->nb_coded_side_data, AV_PKT_DATA_DISPLAYMATRIX);
  if (!side || side->size < 9 * sizeof(std::int32_t)) return nullptr;
  return reinterpret_cast<const std::int32_t*>(side->data);
#else
  std::size_t size = 0;
  const std::uint8_t* data = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
  if (!data || size < 9 * sizeof(std::int32_t)) return nullptr;
  return reinterpret_cast<const std::int32_t*>(data);
#endif
}

// The linear part of a display matrix: a point (x, y) of the track is shown
// at (a x + c y, b x + d y), with rows counted downwards.
struct Linear {
  double a = 1, b = 0, c = 0, d = 1;
};

// Which quarter turns (and mirror) the matrix is, when it is one of them.
void SetTurn(const Linear& m, MovieTrackView& view) {
  const double scale = std::max({std::abs(m.a), std::abs(m.b), std::abs(m.c), std::abs(m.d)});
  const auto zero = [scale](double v) { return std::abs(v) <= scale * 1e-4; };
  if (zero(m.b) && zero(m.c)) {
    view.mirrored = (m.a < 0) != (m.d < 0);
    view.quarterTurns = m.d < 0 ? 2 : 0;
  } else if (zero(m.a) && zero(m.d)) {
    view.mirrored = (m.b < 0) == (m.c < 0);
    view.quarterTurns = m.c < 0 ? 1 : 3;
  }
}

}  // namespace

bool FfmpegMovieMedia::Available() { return MovieFormat() != nullptr; }

std::uint32_t SoundRateFixed(int sampleRate) {
  if (sampleRate == 11127) return 0x2B7745D1;
  if (sampleRate == 22254) return 0x56EE8BA3;
  return static_cast<std::uint32_t>(sampleRate) << 16;
}

int SoundSampleSize(const AVCodecParameters& sound) {
  switch (sound.codec_id) {
    case AV_CODEC_ID_PCM_U8:
    case AV_CODEC_ID_PCM_S8:
    case AV_CODEC_ID_PCM_S16BE:
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_S24BE:
    case AV_CODEC_ID_PCM_S24LE:
    case AV_CODEC_ID_PCM_S32BE:
    case AV_CODEC_ID_PCM_S32LE:
      return av_get_bits_per_sample(sound.codec_id);
    default:
      return 16;
  }
}

MovieTrackView TrackView(const AVStream* video) {
  const AVCodecParameters& par = *video->codecpar;
  Linear m;
  const std::int32_t* matrix = DisplayMatrixOf(video);
  if (matrix) m = Linear{matrix[0] / 65536.0, matrix[1] / 65536.0, matrix[3] / 65536.0, matrix[4] / 65536.0};

  // The track's own size: the stored picture widened by its pixel aspect
  // ratio. FFmpeg also reports a matrix that stretches one way more than
  // the other as an aspect ratio (by this very measure); the matrix
  // stretches the picture below, so that ratio must not count twice.
  double width = par.width, height = par.height;
  const AVRational sar = video->sample_aspect_ratio.num > 0 ? video->sample_aspect_ratio
                                                            : par.sample_aspect_ratio;
  if (sar.num > 0 && sar.den > 0) {
    const double ratio = av_q2d(sar);
    const double stretch = std::hypot(m.a, m.c) / std::hypot(m.b, m.d);
    const bool fromMatrix = matrix && std::abs(stretch - 1) > 0.01 && std::abs(ratio / stretch - 1) < 1e-3;
    if (!fromMatrix) width *= ratio;
  }

  // The box is the bounding box of the track's rectangle under the matrix.
  const double xs[] = {0, m.a * width, m.c * height, m.a * width + m.c * height};
  const double ys[] = {0, m.b * width, m.d * height, m.b * width + m.d * height};
  MovieTrackView view;
  view.width = static_cast<int>(std::lround(*std::max_element(xs, xs + 4) - *std::min_element(xs, xs + 4)));
  view.height = static_cast<int>(std::lround(*std::max_element(ys, ys + 4) - *std::min_element(ys, ys + 4)));
  if (view.width <= 0 || view.height <= 0 || view.width > 16384 || view.height > 16384) {
    // A matrix that collapses or explodes the picture is not believed.
    return MovieTrackView{par.width, par.height, 0, false};
  }
  SetTurn(m, view);
  return view;
}

std::int64_t ShownVideoSamples(const AVStream* video) {
  std::int64_t shown = 0;
  const int count = avformat_index_get_entries_count(video);
  for (int i = 0; i < count; ++i) {
    const AVIndexEntry* e = avformat_index_get_entry(const_cast<AVStream*>(video), i);
    if (e && !(e->flags & AVINDEX_DISCARD_FRAME)) ++shown;
  }
  return shown;
}

std::optional<MovieFacts> FfmpegMovieMedia::OpenMovie(const std::string& path) const {
  const AVInputFormat* format = MovieFormat();
  if (!format) return std::nullopt;
  ff::FormatContextPtr ctx = ff::OpenInput(path, format);
  if (!ctx) return std::nullopt;
  // Fills in what the sample descriptions leave open (the picture size of some codecs).
  if (avformat_find_stream_info(ctx.get(), nullptr) < 0) return std::nullopt;

  MovieFacts facts;
  facts.timeScale = kTimeScale;
  if (ctx->duration != AV_NOPTS_VALUE && ctx->duration > 0) facts.duration = ctx->duration;
  bool haveSound = false;
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    const AVStream* stream = ctx->streams[i];
    MovieTrack track = DescribeTrack(stream);
    if (track.media == MovieTrack::Media::Video && !facts.videoSampleCount) {
      // The same box and the same samples the video extraction works with.
      const MovieTrackView view = TrackView(stream);
      facts.boxRight = view.width;
      facts.boxBottom = view.height;
      facts.videoSampleCount = ShownVideoSamples(stream);
    }
    if (track.media == MovieTrack::Media::Sound && !haveSound) {
      haveSound = true;
      facts.sound = DescribeSound(stream);
    }
    facts.tracks.push_back(track);
  }
  return facts;
}

}  // namespace zq48

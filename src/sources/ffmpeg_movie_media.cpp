#include "sources/ffmpeg_movie_media.h"

#include <algorithm>
#include <cmath>

#include "sources/display_view.h"
#include "sources/ffmpeg_handles.h"
#include "sources/stream_kinds.h"
#include "sources/timeline_origin.h"

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

double MovieTimelineOrigin(const std::string& path) {
  const AVInputFormat* format = MovieFormat();
  ff::FormatContextPtr ctx = format ? ff::OpenInput(path, format) : nullptr;
  if (!ctx || avformat_find_stream_info(ctx.get(), nullptr) < 0) return 0.0;
  return FindTimelineOrigin(ctx.get(), nullptr);
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
      const DisplayView view = MovieTrackView(stream);
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

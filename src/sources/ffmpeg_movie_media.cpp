#include "sources/ffmpeg_movie_media.h"

#include "sources/ffmpeg_handles.h"

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
  if (ff::IsPictureStream(stream)) {
    track.media = MovieTrack::Media::Video;
  } else if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
    track.media = MovieTrack::Media::Sound;
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
  // Compressed sound decodes to 16-bit samples, as the sound description says for it.
  sound.sampleSize = par.bits_per_coded_sample > 0 ? par.bits_per_coded_sample : 16;
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
      facts.boxRight = stream->codecpar->width;
      facts.boxBottom = stream->codecpar->height;
      facts.videoSampleCount = avformat_index_get_entries_count(stream);
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

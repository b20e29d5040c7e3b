#include "sources/stream_kinds.h"

namespace zq48::ff {

StreamKind KindOf(const AVStream* stream) {
  switch (stream->codecpar->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
      return (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) ? StreamKind::Other
                                                                 : StreamKind::Pictures;
    case AVMEDIA_TYPE_AUDIO:
      return StreamKind::Sound;
    default:
      return StreamKind::Other;
  }
}

int ChosenStreamOf(const AVFormatContext* file, StreamKind kind) {
  int first = -1;
  for (unsigned i = 0; i < file->nb_streams; ++i) {
    const AVStream* stream = file->streams[i];
    if (KindOf(stream) != kind) continue;
    if (stream->disposition & AV_DISPOSITION_DEFAULT) return static_cast<int>(i);
    if (first < 0) first = static_cast<int>(i);
  }
  return first;
}

}  // namespace zq48::ff

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

int FirstStreamOf(const AVFormatContext* file, StreamKind kind) {
  for (unsigned i = 0; i < file->nb_streams; ++i)
    if (KindOf(file->streams[i]) == kind) return static_cast<int>(i);
  return -1;
}

}  // namespace zq48::ff

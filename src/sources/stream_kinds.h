#pragma once

// What a stream of a file carries, and which stream of a kind a decode takes.

extern "C" {
#include <libavformat/avformat.h>
}

namespace zq48::ff {

enum class StreamKind {
  Pictures,  // video that moves: not a cover image attached to the file
  Sound,     // any audio stream
  Other,     // cover images, subtitles, data
};

StreamKind KindOf(const AVStream* stream);

// The index of the stream of `kind` that the probe describes and every
// decode of the file reads: the first one marked as the default track, else
// the first of its kind; -1 when there is none.
int ChosenStreamOf(const AVFormatContext* file, StreamKind kind);

}  // namespace zq48::ff

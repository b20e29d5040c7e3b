#pragma once

#include <deque>

#include "sources/ffmpeg_handles.h"

namespace zq48 {

// Where a file's time line starts: the earlier of the first picture's and
// the first sound's times, in seconds of the file's time stamps, as they
// come out of the decoders (after edit lists, codec priming and reordering,
// which the streams' start times do not all account for). The chosen
// picture and sound streams are decoded on the side from the file's current
// position until each gave a frame; a stream with no frame within a couple
// of thousand packets (or 32 MB) starts after the other anyway. The packets
// read go to `kept` when given, so that a decode can read them again.
// Without any frame the file's own start time counts.
double FindTimelineOrigin(AVFormatContext* file, std::deque<ff::PacketPtr>* kept);

}  // namespace zq48

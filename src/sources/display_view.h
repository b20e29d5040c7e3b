#pragma once

#include <cstddef>
#include <cstdint>

struct AVStream;

namespace zq48 {

// How a video stream is meant to be seen: the size of the picture as shown
// (its pixel aspect ratio and its display rotation applied), and how a
// decoded picture, once scaled to the shown size before turning, is turned
// into it: mirrored left to right first when `mirrored`, then turned
// clockwise by `quarterTurns` x 90 degrees.
struct DisplayView {
  int width = 0;
  int height = 0;
  int quarterTurns = 0;
  bool mirrored = false;

  bool Turned() const { return quarterTurns != 0 || mirrored; }
  // The size the picture is scaled to before it is turned.
  int UnturnedWidth() const { return quarterTurns % 2 ? height : width; }
  int UnturnedHeight() const { return quarterTurns % 2 ? width : height; }
};

// The general path's view of a stream: the stored width widened by the
// sample aspect ratio (height x display aspect, rounded to an even number),
// then turned by the display matrix when it is a quarter turn. Square pixels
// without a turn keep the stored size exactly.
DisplayView DisplayViewOf(const AVStream* video);

// A movie track's box, as movie files define it: the bounding box of the
// track's rectangle (its pixel aspect ratio applied) under the whole display
// matrix, rounded to whole pixels; the matrix turns the picture only when it
// is a quarter turn.
DisplayView MovieTrackView(const AVStream* video);

// Turns packed 24-bit `source` (top row first, width x 3 bytes a row, the
// view's unturned size) into the view's shown size. Row y of the result
// starts at `target` + y x `targetStride` (negative for bottom-up rows).
void TurnPicture(const std::uint8_t* source, const DisplayView& view, std::uint8_t* target,
                 std::ptrdiff_t targetStride);

}  // namespace zq48

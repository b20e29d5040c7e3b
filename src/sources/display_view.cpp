#include "sources/display_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavformat/avformat.h>
}

namespace zq48 {

namespace {

// The stream's display matrix (a, b, u, c, d, v, x, y, w); null for none.
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

Linear LinearOf(const AVStream* stream) {
  const std::int32_t* matrix = DisplayMatrixOf(stream);
  if (!matrix) return {};
  return Linear{matrix[0] / 65536.0, matrix[1] / 65536.0, matrix[3] / 65536.0, matrix[4] / 65536.0};
}

// Which quarter turns (and mirror) the matrix is, when it is one of them.
void SetTurn(const Linear& m, DisplayView& view) {
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

AVRational SampleAspectOf(const AVStream* video) {
  return video->sample_aspect_ratio.num > 0 ? video->sample_aspect_ratio
                                            : video->codecpar->sample_aspect_ratio;
}

bool Believable(int width, int height) {
  return width > 0 && height > 0 && width <= 16384 && height <= 16384;
}

}  // namespace

DisplayView DisplayViewOf(const AVStream* video) {
  const AVCodecParameters& par = *video->codecpar;
  DisplayView view{par.width, std::abs(par.height), 0, false};
  const AVRational sar = SampleAspectOf(video);
  if (sar.num > 0 && sar.den > 0 && sar.num != sar.den) {
    const int width = 2 * static_cast<int>(std::lround(par.width * av_q2d(sar) / 2));
    if (Believable(width, view.height)) view.width = width;
  }
  SetTurn(LinearOf(video), view);
  if (view.quarterTurns % 2) std::swap(view.width, view.height);
  return view;
}

DisplayView MovieTrackView(const AVStream* video) {
  const AVCodecParameters& par = *video->codecpar;
  const std::int32_t* matrix = DisplayMatrixOf(video);
  const Linear m = LinearOf(video);

  // The track's own size: the stored picture widened by its pixel aspect
  // ratio. FFmpeg also reports a matrix that stretches one way more than
  // the other as an aspect ratio (by this very measure); the matrix
  // stretches the picture below, so that ratio must not count twice.
  double width = par.width, height = par.height;
  const AVRational sar = SampleAspectOf(video);
  if (sar.num > 0 && sar.den > 0) {
    const double ratio = av_q2d(sar);
    const double stretch = std::hypot(m.a, m.c) / std::hypot(m.b, m.d);
    const bool fromMatrix = matrix && std::abs(stretch - 1) > 0.01 && std::abs(ratio / stretch - 1) < 1e-3;
    if (!fromMatrix) width *= ratio;
  }

  // The box is the bounding box of the track's rectangle under the matrix.
  const double xs[] = {0, m.a * width, m.c * height, m.a * width + m.c * height};
  const double ys[] = {0, m.b * width, m.d * height, m.b * width + m.d * height};
  DisplayView view;
  view.width = static_cast<int>(std::lround(*std::max_element(xs, xs + 4) - *std::min_element(xs, xs + 4)));
  view.height = static_cast<int>(std::lround(*std::max_element(ys, ys + 4) - *std::min_element(ys, ys + 4)));
  // A matrix that collapses or explodes the picture is not believed.
  if (!Believable(view.width, view.height)) return DisplayView{par.width, par.height, 0, false};
  SetTurn(m, view);
  return view;
}

void TurnPicture(const std::uint8_t* source, const DisplayView& view, std::uint8_t* target,
                 std::ptrdiff_t targetStride) {
  const int w = view.UnturnedWidth(), h = view.UnturnedHeight();
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = source + static_cast<std::size_t>(y) * w * 3;
    for (int x0 = 0; x0 < w; ++x0) {
      const int x = view.mirrored ? w - 1 - x0 : x0;
      int tx = x, ty = y;
      switch (view.quarterTurns) {
        case 1: tx = h - 1 - y; ty = x; break;
        case 2: tx = w - 1 - x; ty = h - 1 - y; break;
        case 3: tx = y; ty = w - 1 - x; break;
        default: break;
      }
      std::memcpy(target + ty * targetStride + static_cast<std::ptrdiff_t>(tx) * 3, row + x0 * 3, 3);
    }
  }
}

}  // namespace zq48

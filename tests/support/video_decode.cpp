#include "support/video_decode.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include "sources/ffmpeg_handles.h"
#include "support/elementary_decoder.h"

namespace zq48::testing {

namespace {

std::vector<std::uint8_t> ToBgr(const AVFrame& frame) {
  ff::SwsPtr sws(sws_getContext(frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                                frame.width, frame.height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr,
                                nullptr, nullptr));
  std::vector<std::uint8_t> out(static_cast<std::size_t>(frame.width) * frame.height * 3);
  uint8_t* dst[4] = {out.data(), nullptr, nullptr, nullptr};
  int stride[4] = {frame.width * 3, 0, 0, 0};
  sws_scale(sws.get(), frame.data, frame.linesize, 0, frame.height, dst, stride);
  return out;
}

}  // namespace

DecodedVideo DecodeMpeg4(const std::vector<std::uint8_t>& stream) {
  DecodedVideo out;
  out.errors = DecodeElementaryStream(AV_CODEC_ID_MPEG4, stream, nullptr, [&out](const AVFrame& f) {
    out.width = f.width;
    out.height = f.height;
    out.pictures.push_back(ToBgr(f));
  });
  return out;
}

double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0.0;
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    double d = static_cast<double>(a[i]) - b[i];
    sum += d * d;
  }
  double mse = sum / a.size();
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

std::vector<std::uint8_t> FlipRows(const std::vector<std::uint8_t>& picture, int width, int height) {
  std::vector<std::uint8_t> out(picture.size());
  const std::size_t row = static_cast<std::size_t>(width) * 3;
  for (int y = 0; y < height; ++y)
    std::copy_n(picture.begin() + y * row, row, out.begin() + (height - 1 - y) * row);
  return out;
}

}  // namespace zq48::testing

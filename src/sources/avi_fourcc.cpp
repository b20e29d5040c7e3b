#include "sources/avi_fourcc.h"

#include <cstring>

#include "sources/ffmpeg_handles.h"

namespace zq48 {

std::string ReadAviVideoFourcc(const std::string& path) {
  ff::FormatContextPtr input = ff::OpenInput(path, av_find_input_format("avi"));
  if (!input) return {};
  for (unsigned i = 0; i < input->nb_streams; ++i) {
    const AVCodecParameters* codec = input->streams[i]->codecpar;
    if (codec->codec_type != AVMEDIA_TYPE_VIDEO) continue;
    // The demuxer keeps the bitmap header's compression code as it was written.
    const std::uint32_t tag = codec->codec_tag;
    if (tag == 0) return {};
    char code[4];
    for (int b = 0; b < 4; ++b) code[b] = static_cast<char>((tag >> (8 * b)) & 0xFF);
    return std::string(code, 4);
  }
  return {};
}

}  // namespace zq48

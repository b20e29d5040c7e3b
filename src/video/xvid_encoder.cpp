#include "video/xvid_encoder.h"

#include <xvid.h>

#include <cmath>
#include <mutex>

namespace zq48 {

// How the encoder's historical parameters map onto xvidcore 1.3:
//
//   automatic processor detection    -> xvid_global(XVID_GBL_INIT), cpu_flags 0
//   frame increment / time base      -> create.fincr / create.fbase
//   bit rate, reaction delay factor  -> xvid_plugin_single: bitrate, reaction_delay_factor 16,
//   16, averaging period 100,           averaging_period 100, buffer 500
//   buffer 500
//   quantiser range 1..31            -> create.min_quant[] / max_quant[] (all frame types)
//   max key interval trunc(fps) x 10 -> create.max_key_interval
//   H.263 quantisation               -> no XVID_VOL_MPEGQUANT in vol_flags (H.263 is the default)
//   half-pel motion                  -> XVID_VOP_HALFPEL
//   four motion vectors per block    -> XVID_VOP_INTER4V
//   motion search of quality 6:      -> XVID_ME_HALFPELREFINE16 | XVID_ME_EXTSEARCH16 |
//   early stop and half-pel refine      XVID_ME_USESQUARES16 | XVID_ME_HALFPELREFINE8
//   16x16 and 8x8, extended and         (1.3 always stops early; it has no flag for it)
//   square search 16x16
//   24-bit RGB input, bottom-up rows -> XVID_CSP_BGR | XVID_CSP_VFLIP, stride width x 3
//   key frame request -1, quant 0    -> type XVID_TYPE_AUTO, quant 0 (rate control decides)
//   no B-frames                      -> max_bframes 0, so every picture yields its own output
//   picture errors (for PSNR)        -> XVID_GLOBAL_EXTRASTATS_ENABLE and XVID_VOL_EXTRASTATS:
//                                       the codec keeps a copy of each picture and compares its
//                                       reconstruction with it; the bitstream is the same

namespace {

constexpr int kVopFlags = XVID_VOP_HALFPEL | XVID_VOP_INTER4V;
constexpr int kMotionFlags =
    XVID_ME_HALFPELREFINE16 | XVID_ME_EXTSEARCH16 | XVID_ME_USESQUARES16 | XVID_ME_HALFPELREFINE8;

// xvid_global's initialisation only fills process-wide function tables; it
// is done once, however many instances exist.
void InitialiseLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    xvid_gbl_init_t init{};
    init.version = XVID_VERSION;
    init.cpu_flags = 0;  // detect the processor's features
    xvid_global(nullptr, XVID_GBL_INIT, &init, nullptr);
  });
}

}  // namespace

TimeBase CodecTimeBase(float frameRate) {
  double f = frameRate;
  if (f - std::trunc(f) >= 1e-10) return {1000, static_cast<int>(1000.0 * f)};
  return {1, static_cast<int>(f)};
}

std::unique_ptr<XvidEncoder> XvidEncoder::Create(const XvidSettings& settings, int* result) {
  InitialiseLibrary();

  xvid_plugin_single_t single{};
  single.version = XVID_VERSION;
  single.bitrate = settings.bitRate;
  single.reaction_delay_factor = 16;
  single.averaging_period = 100;
  single.buffer = 500;
  xvid_enc_plugin_t plugins[] = {{xvid_plugin_single, &single}};

  xvid_enc_create_t create{};
  create.version = XVID_VERSION;
  create.width = settings.width;
  create.height = settings.height;
  create.plugins = plugins;
  create.num_plugins = 1;
  create.num_threads = 0;
  create.max_bframes = 0;
  create.global = XVID_GLOBAL_EXTRASTATS_ENABLE;
  create.fincr = settings.frameIncrement;
  create.fbase = settings.timeBase;
  create.max_key_interval = settings.maxKeyInterval;
  for (int i = 0; i < 3; ++i) {
    create.min_quant[i] = settings.minQuantizer;
    create.max_quant[i] = settings.maxQuantizer;
  }
  int rc = xvid_encore(nullptr, XVID_ENC_CREATE, &create, nullptr);
  if (result) *result = rc;
  if (rc < 0 || !create.handle) return nullptr;
  return std::unique_ptr<XvidEncoder>(new XvidEncoder(create.handle, settings));
}

XvidEncoder::~XvidEncoder() { xvid_encore(handle_, XVID_ENC_DESTROY, nullptr, nullptr); }

int XvidEncoder::Encode(const std::uint8_t* picture, std::uint8_t* out, int outCapacity, PlaneErrors* errors) {
  xvid_enc_frame_t frame{};
  frame.version = XVID_VERSION;
  frame.vol_flags = XVID_VOL_EXTRASTATS;
  frame.vop_flags = kVopFlags;
  frame.motion = kMotionFlags;
  frame.input.csp = XVID_CSP_BGR | XVID_CSP_VFLIP;
  frame.input.plane[0] = const_cast<std::uint8_t*>(picture);
  frame.input.stride[0] = settings_.width * 3;
  frame.type = XVID_TYPE_AUTO;
  frame.quant = 0;
  frame.bitstream = out;
  frame.length = outCapacity;
  xvid_enc_stats_t stats{};
  stats.version = XVID_VERSION;
  const int length = xvid_encore(handle_, XVID_ENC_ENCODE, &frame, &stats);
  // Without B-frames the statistics are those of this very picture; the
  // sums are unsigned 32-bit in the codec (a whole 2047 x 2047 picture off
  // by 32 levels still fits).
  if (errors && length > 0 && stats.type != XVID_TYPE_NOTHING)
    *errors = {static_cast<std::uint32_t>(stats.sse_y), static_cast<std::uint32_t>(stats.sse_u),
               static_cast<std::uint32_t>(stats.sse_v)};
  return length;
}

}  // namespace zq48

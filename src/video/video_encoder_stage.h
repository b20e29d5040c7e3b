#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalog/output_filter.h"
#include "core/buffer_pool.h"
#include "video/frame_rate_plan.h"
#include "video/picture_quality.h"
#include "video/scalers.h"
#include "video/video_output.h"
#include "video/xvid_encoder.h"

namespace zq48 {

// Results of EncodeVideoFrame.
inline constexpr int kVideoFrameFailed = 0;
inline constexpr int kVideoFrameEncoded = 1;
// The codec produced nothing for a picture (reported like the platform's out-of-memory code).
inline constexpr std::int32_t kEOutOfMemory = static_cast<std::int32_t>(0x8007000Eu);

// How a (cropped) picture reaches the output size.
enum class ScaleMode {
  None,     // no crop and the output is the input size
  Reduce,   // the output fits inside the cropped picture: area average
  Enlarge,  // the output is larger both ways: area enlargement
  Stretch,  // one way larger, the other smaller: the whole uncropped picture is stretched
};

// The video encoder stage of one variant: crops, scales and converts the
// frame rate of the decoded pictures and appends the encoder's output to the
// variant's video stream. Pictures are packed blue-green-red with
// bottom-up rows of exactly width x 3 bytes, each with its time on the
// variant's time line; the stage holds the picture on screen until the next
// one comes, since only then is it known for which output times it shows.
struct VideoEncoderState {
  int inputWidth = 0;
  int outputWidth = 0;
  int croppedWidth = 0;
  int inputHeight = 0;
  int outputHeight = 0;
  int croppedHeight = 0;
  std::size_t inputRowBytes = 0;
  std::size_t outputRowBytes = 0;
  std::size_t croppedRowBytes = 0;
  std::size_t inputPictureBytes = 0;
  std::size_t croppedPictureBytes = 0;
  std::size_t outputPictureBytes = 0;
  int bottom = 0;  // crop margins; left and right raised to multiples of 4
  int left = 0;
  int right = 0;
  int top = 0;
  std::size_t leftOffsetBytes = 0;
  std::vector<std::uint8_t> scaled;
  std::vector<std::uint8_t> crop;
  int bitstreamLength = 0;
  std::vector<std::uint8_t> bitstream;
  std::vector<std::uint8_t> codecInput;
  SharedBuffer onScreen;  // the latest picture, as it came, until the next one shows
  double outputFrameRate = 0.0;
  double inputFrameRate = 0.0;
  int videoDataRate = 0;  // kbps
  double beginTime = 0.0;  // the variant's range, read by the movie-file source
  double endTime = 0.0;

  ScaleMode scaleMode = ScaleMode::None;
  std::unique_ptr<AreaReducer> reducer;
  std::unique_ptr<AreaEnlarger> enlarger;
  std::unique_ptr<AverageStretch> stretch;
  std::unique_ptr<FrameRatePlan> frameRate;
  std::unique_ptr<XvidEncoder> encoder;
  std::optional<QualityMeter> quality;  // of every picture encoded
  VideoOutput* output = nullptr;
};

// Raises a crop margin to the next multiple of 4.
int RoundCropUp4(int margin);

// Sets the stage up for a variant, given the pictures it will take; what it
// makes goes to `output`, which outlives the stage. Reports "Error init
// encoder video" when the encoder cannot be set up.
bool CreateVideoEncoder(VideoOutput& output, const DecodedVideo& input, const OutputFilter& filter,
                        VideoEncoderState& state);

// Takes the picture at `time` seconds: encodes the picture shown until now
// once for each output time before `time` (the first picture also fills the
// output times before it) and keeps this one on screen. Returns
// kVideoFrameEncoded, kVideoFrameFailed, or kEOutOfMemory when the encoder
// returned nothing.
int EncodeVideoFrame(double time, SharedBuffer picture, VideoEncoderState& state);

// The end of the time line at `end` seconds: the picture on screen fills the
// output times up to it (the sound's end, when it lasts longer than the
// pictures), and the output is told the video's quality. Same results as
// EncodeVideoFrame.
int FinishVideoFrames(double end, VideoEncoderState& state);

// Releases the encoder and every buffer. Always true.
bool DestroyVideoEncoder(VideoEncoderState& state);

}  // namespace zq48

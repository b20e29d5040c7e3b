#include "video/video_encoder_stage.h"

#include <algorithm>
#include <cstring>

#include "video/codec_setup.h"

namespace zq48 {

int RoundCropUp4(int margin) {
  int r = margin % 4;
  return r == 0 ? margin : margin + (4 - r);
}

namespace {

void TakeGeometry(const OutputFilter& filter, int width, int height, VideoEncoderState& s) {
  s.inputWidth = width;
  s.inputHeight = height;
  s.outputWidth = filter.width;
  s.outputHeight = filter.height;
  s.bottom = filter.cropBottom;
  s.left = RoundCropUp4(filter.cropLeft);
  s.right = RoundCropUp4(filter.cropRight);
  s.top = filter.cropTop;
  s.croppedWidth = s.inputWidth - s.left - s.right;
  s.croppedHeight = s.inputHeight - s.bottom - s.top;
  s.inputRowBytes = static_cast<std::size_t>(s.inputWidth) * 3;
  s.outputRowBytes = static_cast<std::size_t>(s.outputWidth) * 3;
  s.croppedRowBytes = static_cast<std::size_t>(std::max(0, s.croppedWidth)) * 3;
  s.inputPictureBytes = s.inputRowBytes * s.inputHeight;
  s.croppedPictureBytes = s.croppedRowBytes * std::max(0, s.croppedHeight);
  s.outputPictureBytes = s.outputRowBytes * s.outputHeight;
  s.leftOffsetBytes = static_cast<std::size_t>(s.left) * 3;
}

bool Cropping(const VideoEncoderState& s) { return s.left + s.right != 0 || s.bottom + s.top != 0; }

void ChooseScaler(VideoEncoderState& s) {
  const int ow = s.outputWidth, oh = s.outputHeight;
  if (!Cropping(s) && ow == s.inputWidth && oh == s.inputHeight) {
    s.scaleMode = ScaleMode::None;
  } else if (ow <= s.croppedWidth && oh <= s.croppedHeight) {
    s.scaleMode = ScaleMode::Reduce;
    s.reducer = std::make_unique<AreaReducer>(s.croppedWidth, s.croppedHeight, ow, oh);
  } else if (ow > s.croppedWidth && oh > s.croppedHeight) {
    s.scaleMode = ScaleMode::Enlarge;
    s.enlarger = std::make_unique<AreaEnlarger>(s.croppedWidth, s.croppedHeight, ow, oh);
  } else {
    s.scaleMode = ScaleMode::Stretch;
    s.stretch = std::make_unique<AverageStretch>(s.inputWidth, s.inputHeight, ow, oh);
  }
}

bool SetUpCodec(VideoEncoderState& s) {
  CodecOptions options = ParseCodecArguments(
      CodecArguments(s.outputWidth, s.outputHeight, s.videoDataRate, s.outputFrameRate));
  CodecSetup setup = SetupCodec(options);
  // A setup that creates no instance has failed, whatever it returned.
  if (setup.result != 0 || !setup.encoder) return false;
  s.encoder = std::move(setup.encoder);
  return true;
}

// Copies the rows inside the crop margins into the crop buffer. Rows are in
// memory order, bottom first, so the bottom margin is skipped first.
void CropInto(const std::uint8_t* picture, VideoEncoderState& s) {
  for (int row = 0; row < s.croppedHeight; ++row) {
    const std::uint8_t* from = picture + (s.bottom + row) * s.inputRowBytes + s.leftOffsetBytes;
    std::memcpy(s.crop.data() + row * s.croppedRowBytes, from, s.croppedRowBytes);
  }
}

// The picture to encode, at the output size.
const std::uint8_t* Scale(const std::uint8_t* picture, VideoEncoderState& s) {
  const std::uint8_t* working = picture;
  if (Cropping(s) && s.scaleMode != ScaleMode::Stretch) {
    CropInto(picture, s);
    working = s.crop.data();
  }
  switch (s.scaleMode) {
    case ScaleMode::None:
      return working;
    case ScaleMode::Reduce:
      s.reducer->Scale(working, s.scaled.data());
      break;
    case ScaleMode::Enlarge:
      s.enlarger->Scale(working, s.scaled.data());
      break;
    case ScaleMode::Stretch:
      s.stretch->Scale(picture, s.scaled.data());
      break;
  }
  return s.scaled.data();
}

// Encodes one picture and appends the result. Returns the codec's byte
// count, or a negative value on a codec error.
int EncodeOnce(const std::uint8_t* picture, VideoEncoderState& s) {
  // A scaled picture is encoded where the scaler wrote it (a buffer as
  // large as the codec's own); only a picture taken as it came (shared with
  // other variants) is copied into the codec's buffer.
  if (picture != s.scaled.data()) {
    std::memcpy(s.codecInput.data(), picture, s.outputPictureBytes);
    picture = s.codecInput.data();
  }
  PlaneErrors errors;
  int length = s.encoder->Encode(picture, s.bitstream.data(), static_cast<int>(s.bitstream.size()), &errors);
  if (length <= 0) return length;
  s.quality->Add(errors);
  s.bitstreamLength = length;
  s.output->WriteVideo(s.bitstream.data(), static_cast<std::size_t>(length));
  return length;
}

}  // namespace

bool CreateVideoEncoder(VideoOutput& output, const DecodedVideo& input, const OutputFilter& filter,
                        VideoEncoderState& s) {
  s = VideoEncoderState{};
  s.output = &output;
  s.beginTime = filter.beginTime;
  s.endTime = filter.endTime;
  s.outputFrameRate = filter.frameRate;
  s.videoDataRate = filter.videoBitRate;
  TakeGeometry(filter, input.width, input.height, s);
  s.inputFrameRate = input.frameRate;

  // Margins that leave no picture (they may, once raised to multiples of 4)
  // or an output of no size cannot be encoded.
  bool usable = s.inputWidth > 0 && s.inputHeight > 0 && s.croppedWidth > 0 &&
                s.croppedHeight > 0 && s.outputWidth > 0 && s.outputHeight > 0;
  if (!usable || !SetUpCodec(s)) {
    output.notifier().ShowApp("Error init encoder video");
    s.encoder.reset();
    return false;
  }
  s.crop.assign(s.inputPictureBytes, 0);
  s.bitstream.assign(2 * s.outputPictureBytes, 0);
  s.codecInput.assign(2 * s.outputPictureBytes, 0);
  s.scaled.assign(2 * s.outputPictureBytes, 0);
  ChooseScaler(s);
  s.frameRate = std::make_unique<FrameRatePlan>(s.outputFrameRate);
  s.quality.emplace(s.outputWidth, s.outputHeight, s.outputFrameRate);
  return true;
}

namespace {

// Encodes `picture` `count` times, scaled once.
int Emit(const std::uint8_t* picture, std::int64_t count, VideoEncoderState& s) {
  if (count <= 0) return kVideoFrameEncoded;
  const std::uint8_t* scaled = Scale(picture, s);
  for (std::int64_t i = 0; i < count; ++i) {
    int length = EncodeOnce(scaled, s);
    if (length < 0) return kVideoFrameFailed;
    if (length == 0) return kEOutOfMemory;
  }
  return kVideoFrameEncoded;
}

bool Usable(const VideoEncoderState& s) {
  if (s.inputWidth == 0 || s.inputHeight == 0) return false;
  if (!s.encoder || s.bitstream.empty()) {
    if (s.output) s.output->notifier().ShowApp("Error encoder video");
    return false;
  }
  return true;
}

}  // namespace

int EncodeVideoFrame(double time, SharedBuffer picture, VideoEncoderState& s) {
  if (!picture || !Usable(s)) return kVideoFrameFailed;
  // A short picture would be read past its end.
  if (picture->size() < s.inputPictureBytes) return kVideoFrameFailed;
  s.output->VideoReached(time);
  const std::int64_t count = s.frameRate->CoveredBefore(time);
  // Before the first picture nothing was on screen: it fills the gap itself.
  const SharedBuffer& shown = s.onScreen ? s.onScreen : picture;
  const int result = Emit(shown->data(), count, s);
  s.onScreen = std::move(picture);
  return result;
}

int FinishVideoFrames(double end, VideoEncoderState& s) {
  int result = kVideoFrameEncoded;
  if (s.onScreen) {
    if (!Usable(s)) return kVideoFrameFailed;
    result = Emit(s.onScreen->data(), s.frameRate->CoveredUntilEnd(end), s);
    s.onScreen.reset();
  }
  if (s.output && s.quality) s.output->VideoMeasured(s.quality->Result());
  return result;
}

bool DestroyVideoEncoder(VideoEncoderState& s) {
  s.encoder.reset();
  s.reducer.reset();
  s.enlarger.reset();
  s.stretch.reset();
  s.frameRate.reset();
  s.onScreen.reset();
  for (auto* buffer : {&s.codecInput, &s.scaled, &s.crop, &s.bitstream}) {
    buffer->clear();
    buffer->shrink_to_fit();
  }
  return true;
}

}  // namespace zq48

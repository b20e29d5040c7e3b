#include "video/video_encoder_stage.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "audio/audio_test_support.h"
#include "encode/pipeline/variant_outputs.h"
#include "support/null_job_host.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"
#include "support/video_decode.h"
#include "support/elementary_decoder.h"
#include "video/codec_setup.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace zq48 {
namespace {

using Picture = std::vector<std::uint8_t>;
using testing::RecordingNotifier;
using testing::TempDir;

// A coloured test pattern, bottom-up: the top quarter green, below it red
// on the left half and blue on the right, with a moving grey bar so that
// pictures differ.
Picture Pattern(int w, int h, int frame) {
  Picture p(static_cast<std::size_t>(w) * h * 3);
  for (int row = 0; row < h; ++row) {
    int y = h - 1 - row;  // distance from the top
    for (int x = 0; x < w; ++x) {
      std::uint8_t* px = &p[(static_cast<std::size_t>(row) * w + x) * 3];
      if (y < h / 4) {
        px[0] = 0, px[1] = 220, px[2] = 0;
      } else if (x < w / 2) {
        px[0] = 0, px[1] = 0, px[2] = 220;
      } else {
        px[0] = 220, px[1] = 0, px[2] = 0;
      }
      if (std::abs(x - (frame * 4) % w) < 4) px[0] = px[1] = px[2] = 128;
    }
  }
  return p;
}

SharedBuffer Shared(const Picture& p) { return std::make_shared<const Picture>(p); }

class VideoStage : public ::testing::Test {
 protected:
  // Opens the variant's video stream file and tells the stage the decoded size and rate.
  void Prepare(int width, int height, double inputRate) {
    path_ = dir_.File("clip.zq48");
    StreamFile& file = job_.variant.streams.video;
    file = std::move(*StreamFile::Create(path_));
    file.WritePlaceholder(HeaderKind::FileOutput);
    file.WritePlaceholder(HeaderKind::Video);
    decoded_ = DecodedVideo{width, height, inputRate};
  }

  OutputFilter Filter(int width, int height, double fps, int kbps = 300) {
    OutputFilter f;
    f.width = width;
    f.height = height;
    f.frameRate = fps;
    f.videoBitRate = kbps;
    f.videoOn = 1;
    return f;
  }

  Picture Payload() {
    job_.variant.streams.video.Close();
    std::ifstream in(path_, std::ios::binary);
    Picture all(std::istreambuf_iterator<char>(in), {});
    return Picture(all.begin() + 24, all.end());
  }

  TempDir dir_;
  std::string path_;
  testing::AudioJob job_;
  VideoOutputs& outputs_ = job_.videoOutputs;
  RecordingNotifier& notifier_ = job_.notifier;
  DecodedVideo decoded_;
  VideoEncoderState stage_;
};

TEST(VideoCodecSetup, ArgumentListAndTimeBase) {
  EXPECT_EQ(CodecArguments(240, 176, 202, 15.0),
            (std::vector<std::string>{"-t", "0", "-w", "240", "-h", "176", "-b", "202", "-f",
                                      "    15.000", "-mt", "0", "-q", "6", "-mv", "0"}));
  CodecOptions o = ParseCodecArguments(CodecArguments(640, 480, 900, 29.97));
  EXPECT_EQ(o.width, 640);
  EXPECT_EQ(o.height, 480);
  EXPECT_EQ(o.bitRateKbps, 900);
  EXPECT_FLOAT_EQ(o.frameRate, 29.97f);
  EXPECT_EQ(o.quality, 6);
  // An option in last position takes no value; an empty list keeps the defaults.
  EXPECT_EQ(ParseCodecArguments({"-w", "320", "-h"}).height, 0);
  EXPECT_EQ(ParseCodecArguments({}).bitRateKbps, 900);

  EXPECT_EQ(CodecTimeBase(25.0f), (TimeBase{1, 25}));
  EXPECT_EQ(CodecTimeBase(29.97f), (TimeBase{1000, 29969}));
  EXPECT_EQ(CodecTimeBase(23.976f), (TimeBase{1000, 23975}));
  EXPECT_EQ(CodecTimeBase(12.5f), (TimeBase{1000, 12500}));
}

TEST(VideoCodecSetup, SettingsTheEncoderCannotUseCreateNoInstance) {
  CodecOptions good = ParseCodecArguments(CodecArguments(160, 128, 100, 15.0));
  EXPECT_TRUE(SetupCodec(good).encoder);
  auto refused = [](CodecOptions o) { return SetupCodec(o); };
  for (auto change : std::vector<void (*)(CodecOptions&)>{
           [](CodecOptions& o) { o.width = 0; }, [](CodecOptions& o) { o.height = 2048; },
           [](CodecOptions& o) { o.quality = 7; }, [](CodecOptions& o) { o.bitRateKbps = 0; },
           [](CodecOptions& o) { o.frameRate = 0.0f; }, [](CodecOptions& o) { o.maxFrames = 0; }}) {
    CodecOptions o = good;
    change(o);
    CodecSetup setup = refused(o);
    EXPECT_EQ(setup.result, 0);
    EXPECT_FALSE(setup.encoder);
  }
  good.motionHints = 1;
  EXPECT_EQ(SetupCodec(good).result, -1);
}

TEST_F(VideoStage, CropMarginsAreRaisedToMultiplesOfFour) {
  EXPECT_EQ(RoundCropUp4(5), 8);
  EXPECT_EQ(RoundCropUp4(2), 4);
  EXPECT_EQ(RoundCropUp4(4), 4);
  EXPECT_EQ(RoundCropUp4(0), 0);
  Prepare(320, 240, 15.0);
  OutputFilter f = Filter(160, 128, 15.0);
  f.cropLeft = 5;
  f.cropRight = 2;
  f.cropTop = 3;
  f.cropBottom = 1;
  ASSERT_TRUE(CreateVideoEncoder(outputs_, decoded_, f, stage_));
  EXPECT_EQ(stage_.left, 8);
  EXPECT_EQ(stage_.right, 4);
  EXPECT_EQ(stage_.croppedWidth, 308);
  EXPECT_EQ(stage_.croppedHeight, 236);
  EXPECT_EQ(stage_.scaleMode, ScaleMode::Reduce);
  DestroyVideoEncoder(stage_);
}

TEST_F(VideoStage, UnusableSettingsFailCreationWithAMessage) {
  Prepare(320, 240, 15.0);
  EXPECT_FALSE(CreateVideoEncoder(outputs_, decoded_, Filter(4000, 128, 15.0), stage_));
  OutputFilter cropAll = Filter(160, 128, 15.0);
  cropAll.cropLeft = 157;
  cropAll.cropRight = 160;  // 160 + 160 once raised: nothing left
  EXPECT_FALSE(CreateVideoEncoder(outputs_, decoded_, cropAll, stage_));
  EXPECT_EQ(notifier_.texts(),
            (std::vector<std::string>{"Error init encoder video", "Error init encoder video"}));
  // Nothing may be encoded without an encoder.
  Picture p = Pattern(320, 240, 0);
  EXPECT_EQ(EncodeVideoFrame(0.0, Shared(p), stage_), kVideoFrameFailed);
}

// Encodes `pictures` pattern pictures and checks what FFmpeg's decoder makes
// of the stream: the output size, the count, and the picture itself (upright,
// red and blue in place) against the stage's own scaling of the source.
void ExpectDecodesAsScaled(const Picture& payload, int w, int h, std::size_t count,
                           const Picture& expectedBottomUp) {
  testing::DecodedVideo video = testing::DecodeMpeg4(payload);
  EXPECT_EQ(video.errors, 0);
  EXPECT_EQ(video.width, w);
  EXPECT_EQ(video.height, h);
  ASSERT_EQ(video.pictures.size(), count);
  Picture expected = testing::FlipRows(expectedBottomUp, w, h);
  EXPECT_GT(testing::Psnr(video.pictures.back(), expected), 24.0);
  // The same picture upside down, or with red and blue swapped, is far off.
  EXPECT_LT(testing::Psnr(video.pictures.back(), expectedBottomUp), 15.0);
}

TEST_F(VideoStage, EncodedStreamDecodesUprightInItsColours) {
  Prepare(320, 240, 15.0);
  ASSERT_TRUE(CreateVideoEncoder(outputs_, decoded_, Filter(160, 128, 15.0, 400), stage_));
  for (int i = 0; i < 12; ++i) {
    Picture p = Pattern(320, 240, i);
    ASSERT_EQ(EncodeVideoFrame(i / 15.0, Shared(p), stage_), kVideoFrameEncoded);
  }
  EXPECT_DOUBLE_EQ(job_.variant.progress.Get().video, 11 / 15.0);
  ASSERT_EQ(FinishVideoFrames(12 / 15.0, stage_), kVideoFrameEncoded);
  Picture last(160 * 128 * 3);
  AreaReducer(320, 240, 160, 128).Scale(Pattern(320, 240, 11).data(), last.data());
  DestroyVideoEncoder(stage_);
  ExpectDecodesAsScaled(Payload(), 160, 128, 12, last);
}

TEST_F(VideoStage, FasterOutputRepeatsPicturesInTheStream) {
  Prepare(160, 128, 15.0);
  ASSERT_TRUE(CreateVideoEncoder(outputs_, decoded_, Filter(160, 128, 25.0), stage_));
  EXPECT_EQ(stage_.scaleMode, ScaleMode::None);
  for (int i = 0; i < 15; ++i) {
    Picture p = Pattern(160, 128, i);
    ASSERT_EQ(EncodeVideoFrame(i / 15.0, Shared(p), stage_), kVideoFrameEncoded);
  }
  ASSERT_EQ(FinishVideoFrames(1.0, stage_), kVideoFrameEncoded);
  DestroyVideoEncoder(stage_);
  // One second at 25 pictures a second, whatever came in.
  ExpectDecodesAsScaled(Payload(), 160, 128, 25, Pattern(160, 128, 14));
}

// The crop keeps the pixels inside the margins: the encoded picture is the
// inner part of the source, not a shifted or squeezed whole.
TEST_F(VideoStage, CropKeepsThePixelsInsideTheMargins) {
  Prepare(192, 160, 15.0);
  OutputFilter f = Filter(160, 128, 15.0, 800);
  f.cropLeft = 16;
  f.cropRight = 16;
  f.cropTop = 8;
  f.cropBottom = 24;
  ASSERT_TRUE(CreateVideoEncoder(outputs_, decoded_, f, stage_));
  Picture source;
  for (int i = 0; i < 6; ++i) {
    source = Pattern(192, 160, i);
    ASSERT_EQ(EncodeVideoFrame(i / 15.0, Shared(source), stage_), kVideoFrameEncoded);
  }
  FinishVideoFrames(6 / 15.0, stage_);
  DestroyVideoEncoder(stage_);
  // The expected picture, top row first: source rows 8..135 from the top, columns 16..175.
  Picture expected(160 * 128 * 3);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 160; ++x)
      for (int c = 0; c < 3; ++c)
        expected[(y * 160 + x) * 3 + c] = source[((160 - 1 - (y + 8)) * 192 + x + 16) * 3 + c];
  testing::DecodedVideo video = testing::DecodeMpeg4(Payload());
  ASSERT_EQ(video.pictures.size(), 6u);
  ASSERT_EQ(video.width, 160);
  EXPECT_GT(testing::Psnr(video.pictures.back(), expected), 28.0);
  // The same size cut from the other corner is a different picture.
  Picture other(160 * 128 * 3);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 160; ++x)
      for (int c = 0; c < 3; ++c)
        other[(y * 160 + x) * 3 + c] = source[((160 - 1 - (y + 24)) * 192 + x + 16) * 3 + c];
  EXPECT_LT(testing::Psnr(video.pictures.back(), other), testing::Psnr(video.pictures.back(), expected) - 6);
}

// What xvidcore is given: bits per second, a key picture at least every
// ten seconds' worth of pictures, the full quantiser range, the time base.
TEST(VideoCodecSetup, TheEncoderGetsTheStagesSettings) {
  CodecSetup setup = SetupCodec(ParseCodecArguments(CodecArguments(240, 176, 202, 29.97)));
  ASSERT_TRUE(setup.encoder);
  const XvidSettings& s = setup.encoder->settings();
  EXPECT_EQ(s.width, 240);
  EXPECT_EQ(s.height, 176);
  EXPECT_EQ(s.bitRate, 202'000);
  EXPECT_EQ(s.maxKeyInterval, 290);
  EXPECT_EQ(s.minQuantizer, 1);
  EXPECT_EQ(s.maxQuantizer, 31);
  EXPECT_EQ(s.frameIncrement, 1000);
  EXPECT_EQ(s.timeBase, 29969);
  CodecSetup whole = SetupCodec(ParseCodecArguments(CodecArguments(160, 128, 48, 15.0)));
  ASSERT_TRUE(whole.encoder);
  EXPECT_EQ(whole.encoder->settings().frameIncrement, 1);
  EXPECT_EQ(whole.encoder->settings().timeBase, 15);
  EXPECT_EQ(whole.encoder->settings().maxKeyInterval, 150);
}

TEST_F(VideoStage, OddInputWidthStaysAligned) {
  Prepare(642, 480, 15.0);
  ASSERT_TRUE(CreateVideoEncoder(outputs_, decoded_, Filter(320, 240, 15.0, 800), stage_));
  for (int i = 0; i < 5; ++i) {
    Picture p = Pattern(642, 480, i);
    ASSERT_EQ(EncodeVideoFrame(i / 15.0, Shared(p), stage_), kVideoFrameEncoded);
  }
  FinishVideoFrames(5 / 15.0, stage_);
  Picture last(320 * 240 * 3);
  AreaReducer(642, 480, 320, 240).Scale(Pattern(642, 480, 4).data(), last.data());
  DestroyVideoEncoder(stage_);
  ExpectDecodesAsScaled(Payload(), 320, 240, 5, last);
}

TEST_F(VideoStage, EnlargingAndStretchingReachTheOutputSize) {
  Prepare(96, 64, 15.0);
  ASSERT_TRUE(CreateVideoEncoder(outputs_, decoded_, Filter(192, 128, 15.0), stage_));
  EXPECT_EQ(stage_.scaleMode, ScaleMode::Enlarge);
  Picture p = Pattern(96, 64, 0);
  ASSERT_EQ(EncodeVideoFrame(0.0, Shared(p), stage_), kVideoFrameEncoded);
  FinishVideoFrames(1 / 15.0, stage_);
  Picture big(192 * 128 * 3);
  AreaEnlarger(96, 64, 192, 128).Scale(p.data(), big.data());
  DestroyVideoEncoder(stage_);
  ExpectDecodesAsScaled(Payload(), 192, 128, 1, big);

  // Wider but lower than the cropped picture: the whole picture is stretched.
  Prepare(96, 64, 15.0);
  OutputFilter f = Filter(128, 48, 15.0);
  f.cropLeft = 8;
  ASSERT_TRUE(CreateVideoEncoder(outputs_, decoded_, f, stage_));
  EXPECT_EQ(stage_.scaleMode, ScaleMode::Stretch);
  ASSERT_EQ(EncodeVideoFrame(0.0, Shared(p), stage_), kVideoFrameEncoded);
  FinishVideoFrames(1 / 15.0, stage_);
  Picture stretched(128 * 48 * 3);
  AverageStretch(96, 64, 128, 48).Scale(p.data(), stretched.data());
  DestroyVideoEncoder(stage_);
  ExpectDecodesAsScaled(Payload(), 128, 48, 1, stretched);
}

TEST_F(VideoStage, ShortOrMissingPicturesAreRefused) {
  Prepare(160, 128, 15.0);
  ASSERT_TRUE(CreateVideoEncoder(outputs_, decoded_, Filter(160, 128, 15.0), stage_));
  Picture p = Pattern(160, 128, 0);
  EXPECT_EQ(EncodeVideoFrame(0.0, nullptr, stage_), kVideoFrameFailed);
  EXPECT_EQ(EncodeVideoFrame(0.0, Shared(Picture(p.begin(), p.end() - 1)), stage_), kVideoFrameFailed);
  EXPECT_EQ(FinishVideoFrames(1.0, stage_), kVideoFrameEncoded);  // nothing on screen: nothing to do
  EXPECT_TRUE(DestroyVideoEncoder(stage_));
  EXPECT_EQ(Payload().size(), 0u);  // nothing was written
}

}  // namespace
}  // namespace zq48

namespace zq48 {
namespace {

// Detail that costs bits: fine stripes and noise over a gradient, moving.
Picture Textured(int w, int h, int frame) {
  Picture p(static_cast<std::size_t>(w) * h * 3);
  std::uint32_t seed = 12345u + static_cast<std::uint32_t>(frame);
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const int noise = static_cast<int>(seed >> 30) - 2;
      const int stripes = ((x + 2 * frame) / 3 + row / 5) % 2 ? 60 : 0;
      std::uint8_t* px = &p[(static_cast<std::size_t>(row) * w + x) * 3];
      px[0] = static_cast<std::uint8_t>(std::clamp(40 + x / 2 + stripes + noise, 0, 255));
      px[1] = static_cast<std::uint8_t>(std::clamp(30 + row + stripes + noise, 0, 255));
      px[2] = static_cast<std::uint8_t>(std::clamp(200 - x / 3 + noise, 0, 255));
    }
  return p;
}

// The luma of a bottom-up blue-green-red picture as FFmpeg's converter makes it.
Picture LumaOf(const Picture& bottomUp, int w, int h) {
  Picture topDown = testing::FlipRows(bottomUp, w, h);
  SwsContext* sws = sws_getContext(w, h, AV_PIX_FMT_BGR24, w, h, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr,
                                   nullptr, nullptr);
  Picture y(static_cast<std::size_t>(w) * h), u(y.size() / 4), v(y.size() / 4);
  const std::uint8_t* src[] = {topDown.data()};
  const int srcStride[] = {w * 3};
  std::uint8_t* dst[] = {y.data(), u.data(), v.data()};
  const int dstStride[] = {w, w / 2, w / 2};
  sws_scale(sws, src, srcStride, 0, h, dst, dstStride);
  sws_freeContext(sws);
  return y;
}

// The luma PSNR FFmpeg finds between the decoded stream and the pictures:
// the mean of the pictures' squared errors, in dB.
double FfmpegLumaPsnr(const Picture& stream, const std::vector<Picture>& luma, int w, int h) {
  double mseSum = 0.0;
  std::size_t n = 0;
  testing::DecodeElementaryStream(AV_CODEC_ID_MPEG4, stream, nullptr, [&](const AVFrame& f) {
    if (n >= luma.size()) return;
    double sse = 0.0;
    for (int row = 0; row < h; ++row)
      for (int x = 0; x < w; ++x) {
        const double d = f.data[0][row * f.linesize[0] + x] - luma[n][static_cast<std::size_t>(row) * w + x];
        sse += d * d;
      }
    mseSum += sse / (static_cast<double>(w) * h);
    ++n;
  });
  EXPECT_EQ(n, luma.size());
  return 10.0 * std::log10(255.0 * 255.0 / (mseSum / static_cast<double>(n)));
}

TEST_F(VideoStage, MeasuredQualityRisesWithTheRateAndAgreesWithFfmpeg) {
  const int w = 320, h = 240, pictures = 30;
  std::vector<Picture> luma;
  for (int i = 0; i < pictures; ++i) luma.push_back(LumaOf(Textured(w, h, i), w, h));
  std::vector<VideoQuality> measured;
  for (int kbps : {100, 600}) {
    Prepare(w, h, 15.0);
    ASSERT_TRUE(CreateVideoEncoder(outputs_, decoded_, Filter(w, h, 15.0, kbps), stage_));
    for (int i = 0; i < pictures; ++i) EncodeVideoFrame(i / 15.0, Shared(Textured(w, h, i)), stage_);
    ASSERT_EQ(FinishVideoFrames(pictures / 15.0, stage_), kVideoFrameEncoded);
    DestroyVideoEncoder(stage_);
    const VideoQuality q = job_.variant.streams.videoQuality;
    EXPECT_EQ(q.pictures, pictures);
    const double ffmpegDb = FfmpegLumaPsnr(Payload(), luma, w, h);
    EXPECT_NEAR(q.psnrYDb, ffmpegDb, 1.0) << kbps << " kbps";
    EXPECT_LE(q.worstPsnrYDb, q.psnrYDb);
    EXPECT_GE(q.worstAtSeconds, 0.0);
    EXPECT_LT(q.worstAtSeconds, pictures / 15.0);
    measured.push_back(q);
  }
  EXPECT_GT(measured[1].psnrYDb, measured[0].psnrYDb + 2.0);
  EXPECT_GT(measured[1].psnrDb, measured[0].psnrDb);
}

TEST(QualityMeter, AveragesErrorsBeforeDecibelsAndFindsTheWorstPicture) {
  QualityMeter meter(10, 10, 5.0);  // 100 luma samples, 25 in each chroma plane
  EXPECT_FALSE(meter.Result().measured());
  meter.Add({0, 0, 0});          // perfect
  meter.Add({65025, 0, 0});      // mean squared error 650.25: 20 dB
  meter.Add({100, 25, 25});      // 1 everywhere: 48.13 dB
  const VideoQuality q = meter.Result();
  EXPECT_EQ(q.pictures, 3);
  EXPECT_NEAR(q.psnrYDb, 10 * std::log10(65025.0 / ((0 + 650.25 + 1) / 3)), 1e-9);
  EXPECT_NEAR(q.psnrDb, 10 * std::log10(65025.0 / ((0 + 65025.0 / 150 + 1) / 3)), 1e-9);
  EXPECT_NEAR(q.worstPsnrYDb, 20.0, 1e-9);
  EXPECT_DOUBLE_EQ(q.worstAtSeconds, 0.2);
  QualityMeter perfect(10, 10, 5.0);
  perfect.Add({});
  EXPECT_EQ(perfect.Result().psnrYDb, kPerfectPsnrDb);
}

}  // namespace
}  // namespace zq48

#include "audio/audio_encoder.h"

#include <cstdlib>
#include <new>

namespace zq48 {

namespace {

struct StepTexts {
  const char* read;
  const char* encode;
  const char* write;
};

// The texts each encode step shows; they tell the steps apart in a report.
constexpr StepTexts kBurstTexts{"Error encoder audio my_get_audio1", "encoder audio failed",
                                "Output audio file write error 01"};
constexpr StepTexts kFinalWholeTexts{"Error encoder audio my_get_audio2",
                                     "Error encoder audio my_lame_encode_buffer_int2",
                                     "Output audio file write error 02"};
constexpr StepTexts kFinalLastTexts{"Error encoder audio my_get_audio3",
                                    "Error encoder audio my_encode_buffer_int3",
                                    "Output audio file write error 03"};

}  // namespace

AudioEncoder::AudioEncoder(Mp3CodecFactory openCodec) : openCodec_(std::move(openCodec)) {}

bool AudioEncoder::Open(const PcmFormat& input, AudioOutput& output, const SoundSettings& sound) {
  codec_.reset();
  staging_.reset();
  output_ = &output;
  sampleTotal_ = 0;
  if (!output.AudioStreamOpen()) return Fail("Error handle of file", false);

  input_ = input;
  auto arguments = LameArguments(sound.channels, sound.sampleRate, sound.bitRate, sound.volume);
  if (!arguments) return Fail("Error mono stereo", false);

  std::unique_ptr<Mp3Codec> codec = OpenCodec(*arguments);
  if (!codec) return Fail("Error opening encoding stream audio", false);

  try {
    staging_ = std::make_unique<PcmStaging>();
  } catch (const std::bad_alloc&) {
    return Fail("Out of memory for encoder audio", false);  // `codec` is released on return
  }
  codec_ = std::move(codec);
  return true;
}

// The options from the environment come first, so that the stage's own
// arguments override whatever they set too.
std::unique_ptr<Mp3Codec> AudioEncoder::OpenCodec(const std::vector<std::string>& arguments) {
  if (!input_.Supported()) return nullptr;
  LameSettings settings;
  const char* extra = std::getenv("LAMEOPT");
  if (extra != nullptr && *extra != '\0' && !ParseLameOptions(SplitOptionText(extra), settings))
    return nullptr;
  if (!ParseLameCommandLine(arguments, settings)) return nullptr;
  return openCodec_(Mp3CodecSetup{settings, input_.channels, input_.sampleRate});
}

bool AudioEncoder::Append(const void* pcm, std::size_t bytes) {
  if (output_ == nullptr) return false;  // never opened: nobody to tell
  if (pcm == nullptr) return Fail("Error encoder audio", false);
  if (bytes >= PcmStaging::kCapacity) return Fail("Error encoder audio, no memory", false);
  if (!codec_) return false;  // not open, or a failure already gave the codec up and said so

  const auto* chunk = static_cast<const std::uint8_t*>(pcm);
  if (staging_->Fits(bytes)) {
    staging_->Stage(chunk, bytes);
    return true;
  }
  return EncodeBurst(chunk, bytes);
}

// Encodes the whole frames staged, keeps the tail and stages the chunk after it.
bool AudioEncoder::EncodeBurst(const std::uint8_t* chunk, std::size_t bytes) {
  if (!EncodeWholeFrames(Step::Burst)) return false;
  staging_->MoveTailToFront();
  // Only a chunk nearly as large as the block can still not fit beside the
  // tail. It goes in pieces, each followed by another burst.
  while (!staging_->Fits(bytes)) {
    std::size_t piece = staging_->Room() - 1;
    staging_->Stage(chunk, piece);
    chunk += piece;
    bytes -= piece;
    if (!EncodeWholeFrames(Step::Burst)) return false;
    staging_->MoveTailToFront();
  }
  staging_->Stage(chunk, bytes);
  return true;
}

// Encodes frames while more than one whole frame is staged, so that at most
// one frame stays behind and no frame reaches past the staged bytes.
bool AudioEncoder::EncodeWholeFrames(Step step) {
  const int frame = codec_->FrameSize();
  const std::size_t frameBytes = static_cast<std::size_t>(frame > 0 ? frame : 0) * BlockBytes();
  while (staging_->Unread() > frameBytes) {
    if (!EncodeFrame(frame, step)) return false;
  }
  return true;
}

// Takes `samples` samples per channel from the front of the staging block,
// encodes them and appends the MP3 bytes to the stream file.
bool AudioEncoder::EncodeFrame(int samples, Step step) {
  const StepTexts& texts = step == Step::Burst        ? kBurstTexts
                           : step == Step::FinalWhole ? kFinalWholeTexts
                                                      : kFinalLastTexts;
  const int frame = codec_->FrameSize();
  if (frame <= 0 || frame > kMaxFrameSamples || samples <= 0 || samples > frame)
    return Fail(texts.read, step != Step::Burst);

  UnpackPcm(staging_->Next(), samples, input_, left_.data(), right_.data());
  sampleTotal_ += static_cast<std::uint64_t>(samples);
  int produced = codec_->Encode(left_.data(), right_.data(), samples, mp3_.data(), kMp3BufferSize);
  if (produced < 0) return Fail(texts.encode, true);
  if (!WriteMp3(produced)) return Fail(texts.write, true);
  staging_->Consume(static_cast<std::size_t>(samples) * BlockBytes());
  return true;
}

bool AudioEncoder::Close() {
  bool ok = true;
  // Nothing staged and nothing encoded: there is nothing to flush either.
  if (codec_ && (staging_->Unread() > 0 || sampleTotal_ > 0)) ok = EncodeRest();
  codec_.reset();
  if (output_ != nullptr) output_->AudioClosed(sampleTotal_);
  staging_.reset();
  return ok;
}

// Whole frames while more than one frame is staged, one last call for the
// rest (a whole frame or less; a trailing partial sample is dropped), then
// the codec's flush.
bool AudioEncoder::EncodeRest() {
  if (!EncodeWholeFrames(Step::FinalWhole)) return false;
  const int last = static_cast<int>(staging_->Unread() / BlockBytes());
  if (last > 0 && !EncodeFrame(last, Step::FinalLast)) return false;
  int produced = codec_->Flush(mp3_.data(), kMp3BufferSize);
  if (produced < 0) return Fail(kFinalLastTexts.encode, true);
  if (!WriteMp3(produced)) return Fail(kFinalLastTexts.write, true);
  return true;
}

bool AudioEncoder::WriteMp3(int bytes) {
  if (bytes == 0) return true;
  return output_->AppendAudio(mp3_.data(), static_cast<std::size_t>(bytes));
}

bool AudioEncoder::Fail(const char* text, bool releaseCodec) {
  output_->notifier().Show(Message{text, "Error", Presentation::SystemBox});
  if (releaseCodec) codec_.reset();
  return false;
}

}  // namespace zq48

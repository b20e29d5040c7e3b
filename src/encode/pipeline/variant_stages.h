#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/audio_grabber.h"
#include "encode/pipeline/variant_outputs.h"
#include "encode/variant_job.h"
#include "sources/decode_graph.h"
#include "video/video_encoder_stage.h"

namespace zq48 {

// Shows the message of a decode that did not open on `notifier`; true when it did.
bool DecodeOpened(Notifier& notifier, DecodeGraph::OpenStatus status);

// The stages of one variant of the general path, writing into its stream
// files. Every failure shows its own message; the caller ends the variant.
class VariantStages {
 public:
  explicit VariantStages(VariantJob& variant) : variant_(variant), video_(variant) {}
  ~VariantStages() { Close(); }
  VariantStages(const VariantStages&) = delete;
  VariantStages& operator=(const VariantStages&) = delete;

  // Creates the variant's stream files with their placeholders (and
  // removes what an earlier run left under the working name).
  bool CreateStreamFiles();
  // Checks the decoded sound against the catalog and remembers its format.
  bool ConnectSound(int channels, int sampleRate);
  // Opens the video stage for pictures of `decoded`, and the sound encode
  // when `sound` names the variants it writes (this one among them); a
  // variant whose sound another's encode writes passes none.
  bool Open(const DecodedVideo& decoded, std::vector<VariantJob*> sound);

  // Before the decode runs: this variant's sound encode writes `other`'s
  // audio stream file too (their sound settings are equal).
  void ShareSound(VariantJob& other) {
    if (sound_) sound_->Add(other);
  }

  void Picture(double t, SharedBuffer picture);
  void Sound(double t, const std::uint8_t* data, std::size_t bytes);
  // The end of the decode, with the end of the time line: the picture on
  // screen fills the video up to it.
  void Finish(double timelineEnd);
  // Encodes what the stages still hold and closes them; once.
  void Close();

  bool encodesVideo() const { return videoOpen_; }
  bool encodesAudio() const { return audio_ != nullptr; }
  VariantJob& variant() { return variant_; }

 private:
  bool Fail(const std::string& text, Presentation presentation = Presentation::AppBox,
            const char* caption = kAppCaption);

  VariantJob& variant_;
  VideoOutputs video_;  // before the stages, which write into it
  std::optional<SoundOutputs> sound_;
  VideoEncoderState videoStage_;
  bool videoOpen_ = false;
  std::unique_ptr<AudioGrabber> audio_;
  WaveFormat connectedAudio_;
};

}  // namespace zq48

#pragma once

#include <memory>
#include <optional>
#include <string>

#include "audio/audio_grabber.h"
#include "catalog/media_facts.h"
#include "encode/job_context.h"
#include "encode/pipeline/variant_outputs.h"
#include "encode/pipeline/variant_plan.h"
#include "catalog/output_filter.h"
#include "sources/decode_graph.h"
#include "video/video_encoder_stage.h"

namespace zq48 {

// Shows the message of a decode that did not open; true when it did.
bool DecodeOpened(JobContext& job, DecodeGraph::OpenStatus status);

// The stages of one variant of the general path, writing into the stream
// files of its job state. Every failure shows its own message; the caller
// ends the variant.
class VariantStages {
 public:
  explicit VariantStages(JobContext& job) : job_(job), outputs_(job) {}
  ~VariantStages() { Close(); }
  VariantStages(const VariantStages&) = delete;
  VariantStages& operator=(const VariantStages&) = delete;

  // Creates the variant's stream files with their placeholders (and
  // removes what an earlier run left under the working name).
  bool CreateStreamFiles(const VariantPlan& plan);
  // Checks the decoded sound against the catalog and remembers its format.
  bool ConnectSound(const VariantPlan& plan, int channels, int sampleRate);
  // Opens the video and audio stages for what the plan encodes.
  bool Open(const VariantPlan& plan);

  void Picture(double t, SharedBuffer picture);
  void Sound(double t, const std::uint8_t* data, std::size_t bytes);
  // The end of the decode, with the end of the time line: the picture on
  // screen fills the video up to it.
  void Finish(double timelineEnd);
  // Encodes what the stages still hold and closes them; once.
  void Close();

  bool encodesVideo() const { return videoOpen_; }
  bool encodesAudio() const { return audio_ != nullptr; }

 private:
  bool Fail(const std::string& text, Presentation presentation = Presentation::AppBox,
            const char* caption = kAppCaption);

  JobContext& job_;
  VariantOutputs outputs_;  // before the stages, which write into it
  VideoEncoderState video_;
  bool videoOpen_ = false;
  std::unique_ptr<AudioGrabber> audio_;
  WaveFormat connectedAudio_;
};

}  // namespace zq48

#pragma once

#include <memory>
#include <optional>
#include <string>

#include "audio/audio_grabber.h"
#include "catalog/media_facts.h"
#include "encode/job_context.h"
#include "encode/pipeline/variant_outputs.h"
#include "catalog/output_filter.h"
#include "sources/decode_graph.h"
#include "video/video_encoder_stage.h"

namespace zq48 {

// What one variant of the general path asks of the decode, read from its
// job state at start.
struct VariantPlan {
  std::string sourcePath;
  std::string basePath;  // the video working path
  OutputFilter filter;
  bool hasAudio = false;
  bool hasVideo = false;
  std::optional<AudioFormat> audioFormat;
  bool encodeVideo() const { return hasVideo && filter.videoOn; }
  bool encodeAudio() const { return hasAudio && filter.audioOn; }
};

// Reads the plan of the variant published in `job`'s state.
VariantPlan ReadVariantPlan(JobContext& job);

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

  void Picture(double t, const std::uint8_t* data, std::size_t bytes);
  void Sound(double t, const std::uint8_t* data, std::size_t bytes);
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

#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalog/media_facts.h"
#include "catalog/output_filter.h"
#include "container/stream_file.h"
#include "core/guarded.h"
#include "core/notifier.h"
#include "encode/job_state.h"
#include "video/picture_quality.h"

namespace zq48 {

// What one variant asks of the decode and of its stages: a value made once
// from the job's snapshot when the variant is begun.
struct VariantPlan {
  int index = 0;           // in its file's list of variants
  std::string sourcePath;
  std::string basePath;    // the video working path; the audio ones are named after it
  OutputFilter filter;
  bool hasAudio = false;   // of the input file
  bool hasVideo = false;
  int width = 0;           // the input's pictures as shown (movie files are not turned)
  int height = 0;
  double frameRate = 0.0;  // of the input file
  std::optional<AudioFormat> audioFormat;

  bool encodeVideo() const { return hasVideo && filter.videoOn; }
  bool encodeAudio() const { return hasAudio && filter.audioOn; }
  SoundSettings sound() const { return SoundOf(filter); }
};

// Whether `b` can take the sound `a`'s encode makes: both encode sound of
// the same range of the same file, with settings that give the same bytes.
inline bool SharesSoundEncode(const VariantPlan& a, const VariantPlan& b) {
  return a.encodeAudio() && b.encodeAudio() && a.sourcePath == b.sourcePath &&
         a.filter.beginTime == b.filter.beginTime && a.filter.endTime == b.filter.endTime && a.sound() == b.sound();
}

// The plan of the file's variant at `index` in the snapshot; nothing when
// the file has no variant there.
std::optional<VariantPlan> PlanVariant(const JobSnapshot& snapshot, const std::string& path, std::size_t index);

// Media seconds a variant's stages have taken so far.
struct VariantProgress {
  double video = 0.0;
  double audio = 0.0;
};

// A variant's working stream files and what finishing them needs. The
// decode's threads write them while the variant runs, each file from one
// thread at a time (its stage's, or the stage whose sound it shares); the
// job driver reads them once every thread of the decode has been joined.
struct VariantStreams {
  StreamFile video;
  StreamFile audio;
  StreamFile minimalAudio;
  std::string videoPath;  // set when the file is created
  std::string audioPath;
  std::string minimalAudioPath;
  std::uint64_t audioSamples = 0;  // per channel, once the audio stage has closed
  VideoQuality videoQuality;       // once the video stage has encoded its last picture
};

// One variant being encoded: its plan, its stream files and its progress.
// Its messages go to the job's notifier marked with the variant's index, so
// that a front end can tell which variant of a group they concern.
class VariantJob final : private Notifier {
 public:
  VariantJob(JobState& job, Notifier& jobNotifier, VariantPlan plan)
      : plan(std::move(plan)), job(job), jobNotifier_(jobNotifier) {}
  VariantJob(const VariantJob&) = delete;
  VariantJob& operator=(const VariantJob&) = delete;

  const VariantPlan plan;
  JobState& job;  // says when to stop or pause
  VariantStreams streams;
  // The only part other threads read while the variant runs (the front end's progress).
  Guarded<VariantProgress> progress;

  Notifier& notifier() { return *this; }
  // Seconds taken so far, video and sound together.
  double InProgress() const;

 private:
  void Show(const Message& message) override;
  bool Ask(const std::string& text, const std::string& caption) override;

  Notifier& jobNotifier_;
};

// Moves a finished variant's progress into the job's done amounts.
void CommitProgress(VariantJob& variant, JobState& job);

}  // namespace zq48

#include "encode/pipeline/audio_stream_files.h"

#include "container/stream_file.h"
#include "catalog/output_names.h"

namespace zq48 {

namespace {

// An owner-less box with the system's default caption.
void ShowDefaultBox(JobContext& job, const char* text, Presentation presentation) {
  job.notifier.Show(Message{text, "Error", presentation});
}

void StoreNames(JobState& state, const AudioStreamNames& names) {
  state.variant.With([&](VariantState& v) {
    v.audioTempPath = names.audio;
    v.minAudioTempPath = names.minimal;
  });
}

// Closes the slot's old file (of an earlier variant) before the new one is
// created, so that a failed creation leaves no stale handle behind.
template <class Member>
std::optional<StreamFile> Recreate(JobState& state, Member member, const std::string& path) {
  state.audioFile.With([member](AudioFileSlot& s) { (s.*member).Close(); });
  return StreamFile::Create(path);
}

// Stores a new audio stream file and writes its zeroed header, under the audio file lock.
bool StoreAudioFileWithHeader(JobState& state, StreamFile file) {
  return state.audioFile.With([&file](AudioFileSlot& s) {
    s.file = std::move(file);
    return s.file.WritePlaceholder(HeaderKind::Audio);
  });
}

}  // namespace

AudioStreamNames AudioStreamNamesFor(const std::string& outputBasePath) {
  const std::string extension = kStreamExtension;
  std::string stem = outputBasePath;
  if (stem.size() >= extension.size() &&
      stem.compare(stem.size() - extension.size(), extension.size(), extension) == 0) {
    stem.resize(stem.size() - extension.size());
  }
  return {stem + ".audio" + extension, stem + ".min.audio" + extension};
}

bool CreateGeneralAudioFiles(JobContext& job, const std::string& outputBasePath) {
  const AudioStreamNames names = AudioStreamNamesFor(outputBasePath);
  StoreNames(job.state, names);

  auto minimal = Recreate(job.state, &AudioFileSlot::minimal, names.minimal);
  if (!minimal) {
    ShowDefaultBox(job, "Error create file audio min out", Presentation::SystemBox);
    return false;
  }
  job.state.audioFile.With([&minimal](AudioFileSlot& s) { s.minimal = std::move(*minimal); });

  auto audio = Recreate(job.state, &AudioFileSlot::file, names.audio);
  if (!audio) {
    ShowDefaultBox(job, "Error create file audio out", Presentation::SystemBox);
    return false;
  }
  if (!StoreAudioFileWithHeader(job.state, std::move(*audio))) {
    job.notifier.ShowApp("Could not write HEADER_AUDIO to file");
    return false;
  }
  // Nothing else ever writes the minimal file, but its handle lives in the
  // same slot, so it is reached under the same lock.
  bool minimalHeader = job.state.audioFile.With(
      [](AudioFileSlot& s) { return s.minimal.WritePlaceholder(HeaderKind::Audio); });
  if (!minimalHeader) {
    job.notifier.ShowApp("Could not write HEADER_AUDIO to file min");
    return false;
  }
  return true;
}

bool CreateMovieAudioFile(JobContext& job, const std::string& outputBasePath) {
  const AudioStreamNames names = AudioStreamNamesFor(outputBasePath);
  StoreNames(job.state, names);

  auto audio = Recreate(job.state, &AudioFileSlot::file, names.audio);
  if (!audio) {
    ShowDefaultBox(job, "Can't create output file", Presentation::PlainBox);
    return false;
  }
  if (!StoreAudioFileWithHeader(job.state, std::move(*audio))) {
    job.notifier.ShowApp("Could not write HEADER_AUDIO to file");
    return false;
  }
  return true;
}

void ClearAudioStreamFile(JobState& state) {
  state.audioFile.With([](AudioFileSlot& s) { s.file.Close(); });
}

}  // namespace zq48

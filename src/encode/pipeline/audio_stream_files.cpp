#include "encode/pipeline/audio_stream_files.h"

#include "container/stream_file.h"
#include "catalog/output_names.h"

namespace zq48 {

namespace {

// An owner-less box with the system's default caption.
void ShowDefaultBox(VariantJob& variant, const char* text, Presentation presentation) {
  variant.notifier().Show(Message{text, "Error", presentation});
}

void StoreNames(VariantStreams& streams, const AudioStreamNames& names) {
  streams.audioPath = names.audio;
  streams.minimalAudioPath = names.minimal;
}

// Closes the old file (of an earlier run) before the new one is created, so
// that a failed creation leaves no stale handle behind.
std::optional<StreamFile> Recreate(StreamFile& file, const std::string& path) {
  file.Close();
  return StreamFile::Create(path);
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

bool CreateGeneralAudioFiles(VariantJob& variant) {
  VariantStreams& streams = variant.streams;
  const AudioStreamNames names = AudioStreamNamesFor(variant.plan.basePath);
  StoreNames(streams, names);

  auto minimal = Recreate(streams.minimalAudio, names.minimal);
  if (!minimal) {
    ShowDefaultBox(variant, "Error create file audio min out", Presentation::SystemBox);
    return false;
  }
  streams.minimalAudio = std::move(*minimal);

  auto audio = Recreate(streams.audio, names.audio);
  if (!audio) {
    ShowDefaultBox(variant, "Error create file audio out", Presentation::SystemBox);
    return false;
  }
  streams.audio = std::move(*audio);
  if (!streams.audio.WritePlaceholder(HeaderKind::Audio)) {
    variant.notifier().ShowApp("Could not write HEADER_AUDIO to file");
    return false;
  }
  if (!streams.minimalAudio.WritePlaceholder(HeaderKind::Audio)) {
    variant.notifier().ShowApp("Could not write HEADER_AUDIO to file min");
    return false;
  }
  return true;
}

bool CreateMovieAudioFile(VariantJob& variant) {
  VariantStreams& streams = variant.streams;
  const AudioStreamNames names = AudioStreamNamesFor(variant.plan.basePath);
  StoreNames(streams, names);

  auto audio = Recreate(streams.audio, names.audio);
  if (!audio) {
    ShowDefaultBox(variant, "Can't create output file", Presentation::PlainBox);
    return false;
  }
  streams.audio = std::move(*audio);
  if (!streams.audio.WritePlaceholder(HeaderKind::Audio)) {
    variant.notifier().ShowApp("Could not write HEADER_AUDIO to file");
    return false;
  }
  return true;
}

}  // namespace zq48

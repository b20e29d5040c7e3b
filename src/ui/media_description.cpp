#include "ui/media_description.h"

#include <QStringList>

#include "sources/probe.h"
#include "sources/ffmpeg_general_media.h"
#include "sources/ffmpeg_movie_media.h"

namespace zq48 {

namespace {

// Keeps the probe's complaint for the preview instead of showing a box.
class FirstMessage : public Notifier {
 public:
  void Show(const Message& message) override {
    if (text.empty()) text = message.text;
  }
  bool Ask(const std::string&, const std::string&) override { return false; }
  std::string text;
};

}  // namespace

QString DescribeMedia(const QString& path, bool movieFilesAvailable) {
  InputCatalog scratch;
  FirstMessage complaint;
  FfmpegGeneralMedia general;
  FfmpegMovieMedia movie;
  MediaProbe probe(scratch, complaint,
                   MediaServices{&general, movieFilesAvailable ? &movie : nullptr});
  const std::string file = path.toStdString();
  if (!probe.Probe(file))
    return complaint.text.empty() ? QString("Not a media file this program reads.")
                                  : QString::fromStdString(complaint.text);
  const MediaFacts& f = scratch.Facts(file);
  QStringList lines;
  if (f.hasVideo)
    lines
        << QString("Video: %1 x %2, %3 fps").arg(f.width).arg(f.height).arg(f.frameRate, 0, 'f', 2);
  lines << (f.hasAudio ? QString("Audio: yes") : QString("Audio: none"));
  if (!f.durationText.empty()) lines << "Duration: " + QString::fromStdString(f.durationText);
  lines << "Size: " + QString::fromStdString(f.sizeText) + " KB";
  lines << "Modified: " + QString::fromStdString(f.modifiedDate);
  return lines.join('\n');
}

}  // namespace zq48

#include "ui/media_description.h"

#include <QStringList>

#include "encode/engine.h"

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

QString DescribeMedia(const Engine& engine, const QString& path) {
  FirstMessage complaint;
  const std::optional<MediaFacts> facts = engine.Probe(path.toStdString(), complaint);
  if (!facts)
    return complaint.text.empty() ? QString("Not a media file this program reads.")
                                  : QString::fromStdString(complaint.text);
  const MediaFacts& f = *facts;
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

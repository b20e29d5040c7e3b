#include "ui/movie_info_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "catalog/input_catalog.h"
#include "encode/engine.h"
#include "ui/codec_names.h"

namespace zq48 {

namespace {
const QColor kBackground(0xF4, 0xF4, 0xFF);
}  // namespace

MovieInfoDialog::MovieInfoDialog(const MovieInfoTexts& t, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Movie information");
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kBackground);
  setPalette(palette);
  setAutoFillBackground(true);

  auto* movie = new QGroupBox("Movie", this);
  auto* movieForm = new QFormLayout(movie);
  AddField(movieForm, "File:", "fileName", t.fileName);
  AddField(movieForm, "Data size:", "dataSize", t.dataSize);
  QFont dateFont("Arial");
  dateFont.setPixelSize(15);
  AddField(movieForm, "Last modified on:", "modified", t.modified)->setFont(dateFont);
  AddField(movieForm, "Creation date:", "created", t.created)->setFont(dateFont);

  auto* video = new QGroupBox("Video Track", this);
  auto* videoForm = new QFormLayout(video);
  AddField(videoForm, "Frame size:", "frameSize", t.frameSize);
  AddField(videoForm, "Frame rate, \u00b5s per frame:", "frameRate", t.frameRate);
  AddField(videoForm, "Data rate:", "videoDataRate", t.videoDataRate);
  AddField(videoForm, "Duration:", "videoDuration", t.videoDuration);
  AddField(videoForm, "Decompressor:", "videoDecompressor", t.videoCodec);

  auto* audio = new QGroupBox("Audio Track", this);
  auto* audioForm = new QFormLayout(audio);
  AddField(audioForm, "Channels:", "channels", t.channels);
  AddField(audioForm, "Sampling rate:", "sampleRate", t.sampleRate);
  AddField(audioForm, "Data rate:", "audioDataRate", t.audioDataRate);
  AddField(audioForm, "Duration:", "audioDuration", t.audioDuration);
  AddField(audioForm, "Decompressor:", "audioDecompressor", t.audioCodec);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(movie);
  layout->addWidget(video);
  layout->addWidget(audio);
  layout->addWidget(buttons);
}

QLineEdit* MovieInfoDialog::AddField(QFormLayout* form, const char* label, const char* name,
                                     const std::string& text) {
  auto* field = new QLineEdit(QString::fromStdString(text));
  field->setObjectName(name);
  field->setReadOnly(true);
  form->addRow(label, field);
  return field;
}

QString MovieInfoDialog::Field(const char* name) const {
  auto* field = findChild<QLineEdit*>(name);
  return field ? field->text() : QString();
}

std::string CachedVideoCodecName(InputCatalog& catalog, const std::string& path) {
  const MediaFacts& facts = catalog.Facts(path);
  if (facts.sourceKind != kSourceGeneral) return {};  // not shown for them
  if (!facts.videoCodecName.empty()) return facts.videoCodecName;
  std::string name = VideoCodecName(Engine::VideoCodecCode(path));
  if (!name.empty() && catalog.Contains(path)) catalog.MutableFacts(path).videoCodecName = name;
  return name;
}

void ShowMovieInformation(QWidget* parent, InputCatalog& catalog, const std::string& path) {
  const std::string codec = CachedVideoCodecName(catalog, path);
  MovieInfoDialog dialog(MakeMovieInfoTexts(path, catalog.Facts(path), codec), parent);
  dialog.exec();
}

}  // namespace zq48

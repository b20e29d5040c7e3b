#include <QLineEdit>
#include <QtTest>
#include <fstream>
#include <iterator>

#include "catalog/input_catalog.h"
#include "sources/avi_fourcc.h"
#include "support/test_media.h"
#include "ui/codec_names.h"
#include "ui/movie_info_dialog.h"
#include "ui/movie_info_texts.h"
#include "modal_answerer.h"

namespace zq48::testing {
namespace {

// A probed AVI: 320x240 at 25 fps, 3,000,000 bit/s, 16-bit stereo PCM at 44.1 kHz.
MediaFacts AviFacts() {
  MediaFacts f;
  f.sizeText = "2048";
  f.modifiedDate = "03/04/2005";
  f.createdDate = "12/31/2004";
  f.width = 320;
  f.height = 240;
  f.frameRate = 25.0;
  f.hasVideo = true;
  f.hasAudio = true;
  f.videoDuration = 3725.9;
  f.audioDuration = 59.99;
  f.bitRate = 3'000'000;
  AudioFormat audio;
  audio.wave = {1, 2, 44100, 176400, 4, 16, 0};
  f.audioFormat = audio;
  return f;
}

// Replaces every occurrence of one four-character code in a file by another.
void ReplaceCode(const std::string& path, const std::string& from, const std::string& to) {
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  int replaced = 0;
  for (auto at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + 4)) {
    bytes.replace(at, 4, to);
    ++replaced;
  }
  if (replaced == 0) qFatal("code %s not in the file", from.c_str());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

class MovieInfoTest : public QObject {
  Q_OBJECT

 private slots:
  void fieldsAreFormattedAsShown() {
    const MovieInfoTexts t = MakeMovieInfoTexts("/films/My Movie.avi", AviFacts(), "DivX 4+");
    QCOMPARE(t.fileName, std::string("My Movie.avi"));
    QCOMPARE(t.dataSize, std::string("2048 KB"));
    QCOMPARE(t.modified, std::string(" 03/04/2005"));
    QCOMPARE(t.created, std::string(" 12/31/2004"));
    QCOMPARE(t.frameSize, std::string("320 x 240"));
    QCOMPARE(t.frameRate, std::string("25.00 fps, 40000 \u00b5s"));
    QCOMPARE(t.videoDataRate, std::string("2929 kbps"));
    QCOMPARE(t.videoDuration, std::string("01h:02m:05s"));
    QCOMPARE(t.videoCodec, std::string("DivX 4+"));
    QCOMPARE(t.channels, std::string("2 (Stereo)"));
    QCOMPARE(t.sampleRate, std::string("44100 Hz"));
    QCOMPARE(t.audioDataRate, std::string("1378 kbps"));
    QCOMPARE(t.audioDuration, std::string("00h:00m:59s"));
    QCOMPARE(t.audioCodec, std::string("PCM (Uncompressed)"));
    MediaFacts turned = AviFacts();
    turned.rotation = 90;
    QCOMPARE(MakeMovieInfoTexts("phone.mp4", turned, "").frameSize, std::string("320 x 240 (turned 90\u00b0)"));
  }

  void audioFieldsStayEmptyWithoutSoundOrFormat() {
    MediaFacts f = AviFacts();
    f.audioFormat.reset();
    MovieInfoTexts t = MakeMovieInfoTexts("a.avi", f, "");
    QCOMPARE(t.audioDuration, std::string("00h:00m:59s"));
    QVERIFY(t.channels.empty() && t.sampleRate.empty() && t.audioDataRate.empty());
    QVERIFY(t.audioCodec.empty());

    f = AviFacts();
    f.hasAudio = false;
    t = MakeMovieInfoTexts("a.avi", f, "");
    QVERIFY(t.audioDuration.empty() && t.channels.empty() && t.audioDataRate.empty());

    f = AviFacts();
    f.audioFormat->wave.channels = 6;
    QVERIFY(MakeMovieInfoTexts("a.avi", f, "").channels.empty());
    f.audioFormat->wave.channels = 1;
    QCOMPARE(MakeMovieInfoTexts("a.avi", f, "").channels, std::string("1 (Mono)"));
  }

  void noFrameTimeWithoutPictures() {
    MediaFacts f = AviFacts();
    f.frameRate = 0;
    QCOMPARE(MakeMovieInfoTexts("a.wav", f, "").frameRate, std::string(" 0.00 fps, 0 \u00b5s"));
  }

  void movieFilesShowNoCodecNames() {
    MediaFacts f = AviFacts();
    f.sourceKind = kSourceMovie;
    const MovieInfoTexts t = MakeMovieInfoTexts("a.mov", f, "DivX 4+");
    QVERIFY(t.videoCodec.empty());
    QVERIFY(t.audioCodec.empty());
  }

  void videoCodecNamesFromCodes() {
    QCOMPARE(VideoCodecName("DIVX"), std::string("DivX 4+"));
    QCOMPARE(VideoCodecName("divx"), std::string());  // "DIVx" is in no row
    QCOMPARE(VideoCodecName("div3"), std::string("DivX MPEG-4 Low-Motion"));
    QCOMPARE(VideoCodecName("vcr1"), std::string("ATI video 1"));
    QCOMPARE(VideoCodecName("cvid"), std::string());  // the fourth letter counts as written
    QCOMPARE(VideoCodecName("MPG4"), std::string("Microsoft High-Speed MPEG-4 "));
    // Rows written in lower case are found too.
    QCOMPARE(VideoCodecName("dvsd"), std::string("DV"));
    QCOMPARE(VideoCodecName("mjpg"), std::string("Motion JPEG"));
    QCOMPARE(VideoCodecName("FMP4"), std::string());
    QCOMPARE(VideoCodecName(""), std::string());
  }

  void audioCodecNamesFromTags() {
    QCOMPARE(AudioCodecName(0x0001), std::string("PCM (Uncompressed)"));
    QCOMPARE(AudioCodecName(0x0055), std::string("ISO/MPEG Layer3 Format Tag"));
    QCOMPARE(AudioCodecName(0x0000), std::string("Microsoft Corporation UNKNOWN"));
    QCOMPARE(AudioCodecName(0xFFFF), std::string("WAVE_FORMAT_DEVELOPMENT"));
    QCOMPARE(AudioCodecName(0x1004), std::string("Ing C. Olivetti & C., S.p.A. OLIOPR"));
    QCOMPARE(AudioCodecName(0x0004), std::string());
    QCOMPARE(AudioCodecName(0x2000), std::string());
  }

  void theCodeIsReadFromTheAviAndItsNameCached() {
    TempDir dir;
    const std::string avi = dir.File("clip.avi");
    WriteAvi(avi);
    const std::string written = ReadAviVideoFourcc(avi);
    QCOMPARE(written.size(), std::size_t(4));

    InputCatalog catalog;
    catalog.MutableFacts(avi) = AviFacts();
    ReplaceCode(avi, written, "divx");
    QCOMPARE(ReadAviVideoFourcc(avi), std::string("divx"));
    QCOMPARE(CachedVideoCodecName(catalog, avi), std::string());
    QVERIFY(catalog.Facts(avi).videoCodecName.empty());  // tried again next time

    ReplaceCode(avi, "divx", "DIVX");
    QCOMPARE(CachedVideoCodecName(catalog, avi), std::string("DivX 4+"));
    QCOMPARE(catalog.Facts(avi).videoCodecName, std::string("DivX 4+"));
    // Once cached, the file is not read again.
    ReplaceCode(avi, "DIVX", "CVID");
    QCOMPARE(CachedVideoCodecName(catalog, avi), std::string("DivX 4+"));
  }

  void filesThatAreNotAviHaveNoCode() {
    TempDir dir;
    WriteWav(dir.File("sound.wav"));
    WriteMp4(dir.File("clip.mp4"));
    QCOMPARE(ReadAviVideoFourcc(dir.File("sound.wav")), std::string());
    QCOMPARE(ReadAviVideoFourcc(dir.File("clip.mp4")), std::string());
    QCOMPARE(ReadAviVideoFourcc(dir.File("missing.avi")), std::string());
  }

  void theDialogShowsTheFileOfTheCatalog() {
    TempDir dir;
    const std::string avi = dir.File("clip.avi");
    WriteAvi(avi);
    ReplaceCode(avi, ReadAviVideoFourcc(avi), "DIVX");
    InputCatalog catalog;
    catalog.MutableFacts(avi) = AviFacts();
    QString title, decompressor, rate;
    OnNextModal look([&](QWidget* modal) {
      title = modal->windowTitle();
      decompressor = modal->findChild<QLineEdit*>("videoDecompressor")->text();
      rate = modal->findChild<QLineEdit*>("audioDataRate")->text();
      static_cast<QDialog*>(modal)->accept();
    });
    ShowMovieInformation(nullptr, catalog, avi);
    QCOMPARE(title, QString("Movie information"));
    QCOMPARE(decompressor, QString("DivX 4+"));
    QCOMPARE(rate, QString("1378 kbps"));
    QVERIFY(catalog.Facts(avi).videoCodecName == "DivX 4+");
  }
};

}  // namespace zq48::testing

int RunMovieInfoTests(int argc, char** argv) {
  zq48::testing::MovieInfoTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "movie_info_test.moc"

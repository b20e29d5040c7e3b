// The desktop program started in a German locale, whose decimal separator is
// a comma: the whole encode still writes "fr15.00" working names, hands LAME
// "--scale 1.000000", and leaves sound in every variant.

#include <QApplication>
#include <QtTest>
#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "audio/lame_options.h"
#include "desktop_fixture.h"
#include "encode/package/job_outputs.h"
#include "container/metafile.h"
#include "encode/job_file.h"
#include "catalog/output_names.h"
#include "gui_test_environment.h"
#include "list_adding.h"
#include "encode/pipeline/worker_factory.h"
#include "support/test_media.h"
#include "ui/file_list_view.h"
#include "ui/settings_view.h"

using namespace zq48;
using namespace zq48::testing;
namespace fs = std::filesystem;

namespace {

// Builds de_DE.UTF-8 under `folder` and points the C library there. False
// when the locale sources are missing (Debian's "locales" package).
bool MakeGermanLocale(const QString& folder) {
  const std::string command = "localedef -i de_DE -f UTF-8 '" + folder.toStdString() +
                              "/de_DE.UTF-8' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return false;
  qputenv("LOCPATH", folder.toLocal8Bit());
  qputenv("LC_ALL", "de_DE.UTF-8");
  return true;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

class CommaDecimalLocaleTest : public QObject {
  Q_OBJECT

 private slots:
  // The process really runs in the comma locale, as Qt set it up at start.
  void theProgramRunsInTheUsersLocale() {
    QCOMPARE(QString(std::localeconv()->decimal_point), QString(","));
  }

  void namesAndOptionsKeepTheirDecimalPoint() {
    QCOMPARE(QString::fromStdString(VariantTag(202, 15.0, 240, 176, 1, 8000, 16)),
             QString("_dr202_fr15.00_w240_h176_Ch1_Sr8000_Br16"));
    std::optional<std::vector<std::string>> lame = LameArguments(1, 8000, 16, 0.5f);
    QVERIFY(lame.has_value());
    QCOMPARE(QString::fromStdString((*lame)[8]), QString("0.500000"));
    LameSettings settings;
    QVERIFY(ParseLameCommandLine(*lame, settings));
    QCOMPARE(settings.scale.value_or(0.0f), 0.5f);

    // Job files are read and written in C notation.
    auto read = ParseJobFile(R"({"version": 1, "files": [{"path": "/a.avi", "volume": 1.25, "begin_s": 0.5, "end_s": 2}]})", "/");
    QVERIFY(std::holds_alternative<JobFile>(read));
    const JobFile& job = std::get<JobFile>(read);
    QCOMPARE(job.files.at(0).volume.value_or(0), 1.25f);
    QCOMPARE(job.files.at(0).begin.value_or(0), 0.5);
    const std::string text = JobFileText(job);
    QVERIFY2(text.find("\"volume\": 1.25,") != std::string::npos, text.c_str());
    QVERIFY2(text.find("\"begin_s\": 0.5,") != std::string::npos, text.c_str());
  }

  void aWholeEncodeHasSoundInEveryVariant() {
    ClearSettings();
    TempDir dir;
    const std::string clip = dir.File("My Clip.avi"), out = dir.File("out");
    WriteAvi(clip, ClipSpec{.seconds = 1.0, .sampleRate = 22050});
    fs::create_directory(out);
    DecodeWorkerFactory workers;
    PackageOutputs outputs;
    Desktop d(workers, outputs);
    d.window->Settings().SetDestinationText(out);
    QCOMPARE(AddAndWait(d.window->FileList(), {QString::fromStdString(clip)}), 1);
    d.window->StartEncode();
    QVERIFY(QTest::qWaitFor([&] { return !d.window->Encoding().HasJob(); }, 60000));

    QCOMPARE(d.notifier.texts(), std::vector<std::string>{});
    const std::vector<std::string> names = Names(out);
    int video = 0, audio = 0;
    for (const std::string& name : names) {
      QVERIFY2(name.find(',') == std::string::npos, name.c_str());
      video += name.ends_with("bps.video.zq48");
      audio += name.ends_with("bps.audio.zq48");
    }
    const int variants = static_cast<int>(d.app.Catalog().FilterCount(clip));
    QVERIFY(variants > 1);
    QVERIFY(video >= 1);
    QVERIFY(audio >= 1);  // rungs of equal sound share one audio stream name
    // The metafile lists a sound rate for every variant: none lost its sound.
    std::string problem;
    std::optional<Metafile> meta = ReadMetafile((fs::path(out) / "My_Clip.meta.zq48").string(), &problem);
    QVERIFY2(meta.has_value(), problem.c_str());
    QCOMPARE(static_cast<int>(meta->videoRates.size()), variants);
    QCOMPARE(static_cast<int>(meta->audioRates.size()), variants);
  }
};

int main(int argc, char** argv) {
  GuiTestEnvironment environment;
  QTemporaryDir locales;
  if (!environment.valid() || !locales.isValid() || !MakeGermanLocale(locales.path())) {
    std::fprintf(stderr, "cannot build the de_DE.UTF-8 locale (is Debian's \"locales\" installed?)\n");
    return 2;
  }
  // QApplication takes the locale from the environment, as at the program's start.
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  CommaDecimalLocaleTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "locale_test.moc"

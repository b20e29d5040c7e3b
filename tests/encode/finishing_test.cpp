// Finishing a variant's stream files, the metafile and the web page.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "encode/package/finish_variant.h"
#include "encode/variant_job.h"
#include "encode/package/job_outputs.h"
#include "container/metafile.h"
#include "encode/package/web_package.h"
#include "support/null_job_host.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using testing::RecordingNotifier;
using testing::TempDir;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string ReadText(const std::string& path) {
  Bytes b = ReadAll(path);
  return std::string(b.begin(), b.end());
}

TEST(VariantDuration, RangeSoundOrFileLength) {
  OutputFilter f;
  f.beginTime = 10;
  f.endTime = 25;
  EXPECT_EQ(VariantDurationUs(f, 20.0, 7), 10'000'000u);  // the end is clamped to the file
  f.beginTime = 30;
  f.endTime = 40;
  EXPECT_EQ(VariantDurationUs(f, 20.0, 7), 0u);
  OutputFilter whole;
  EXPECT_EQ(VariantDurationUs(whole, 20.5, 10), 10'000'000u);  // whole seconds of sound first
  EXPECT_EQ(VariantDurationUs(whole, 20.5, 0), 20'500'000u);
  // Beyond 32 bits of microseconds nothing fits the header.
  EXPECT_EQ(VariantDurationUs(whole, 4294.967295, 0), 4'294'967'295u);
  EXPECT_EQ(VariantDurationUs(whole, 4295.0, 0), std::nullopt);
  EXPECT_EQ(VariantDurationUs(whole, 0, 4295), std::nullopt);
  // A range of 2.7 to 5.9 s: the general decode delivers 2 to 5 s, and so says the header.
  OutputFilter cut;
  cut.beginTime = 2.7;
  cut.endTime = 5.9;
  EXPECT_EQ(VariantDurationUs(cut, 20.0, 3, true), 3'000'000u);
  EXPECT_EQ(VariantDurationUs(cut, 20.0, 0, false), 3'200'000u);
  EXPECT_EQ(VariantDurationUs(cut, 4.5, 0, true), 2'500'000u);  // and clamped to the file
}

// One input file of 20 s with sound, a destination folder, and a variant
// whose two temporary stream files hold some payload.
class Finishing : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = dir_.path() + "/";
    state_.snapshot.Edit([this](JobSnapshot& s) {
      s.catalog.Settings().setDestinationFolder(folder_);
      MediaFacts& f = s.catalog.MutableFacts(kInput);
      f.hasAudio = f.hasVideo = true;
      f.videoDuration = 20.0;
      f.audioDuration = 20.0;
      f.audioFormat = AudioFormat{"pcm_s16le", "WaveFormatEx", WaveFormat{1, 1, 8000, 16000, 2, 16, 0}};
    });
    record_.sourceKind = kSourceGeneral;
    filter_.audioOn = filter_.videoOn = 1;
    filter_.width = 240;
    filter_.height = 176;
    filter_.frameRate = 15.0;
  }

  // Creates the variant's temporary files as a decode source would, with payloads.
  void Encoded(std::size_t videoBytes, std::size_t audioBytes, std::uint64_t samples) {
    std::string base = folder_ + "My_Movie__tag";
    videoTemp_ = base + ".zq48";
    audioTemp_ = base + ".audio.zq48";
    streams_.video = std::move(*StreamFile::Create(videoTemp_));
    streams_.video.WritePlaceholder(HeaderKind::FileOutput);
    streams_.video.WritePlaceholder(HeaderKind::Video);
    Bytes video(videoBytes, 0x11);
    streams_.video.Write(video.data(), video.size());
    streams_.audio = std::move(*StreamFile::Create(audioTemp_));
    streams_.audio.WritePlaceholder(HeaderKind::Audio);
    Bytes audio(audioBytes, 0x22);
    streams_.audio.AppendAtEnd(audio.data(), audio.size());
    streams_.videoPath = videoTemp_;
    streams_.audioPath = audioTemp_;
    streams_.audioSamples = samples;
  }

  // Finishes the variant of filter_ over the streams Encoded made.
  bool Finish() {
    VariantPlan plan;
    plan.sourcePath = kInput;
    plan.filter = filter_;
    VariantJob variant(state_, notifier_, plan);
    variant.streams = std::move(streams_);
    const bool finished = PackageOutputs().FinishVariant(context_, variant, record_);
    streams_ = std::move(variant.streams);
    return finished;
  }

  static constexpr const char* kInput = "/in/My Movie.avi";
  TempDir dir_;
  std::string folder_, videoTemp_, audioTemp_;
  JobState state_;
  RecordingNotifier notifier_;
  testing::NullJobHost host_;
  JobContext context_{state_, notifier_, host_, host_, true};
  DriverRecord record_;
  OutputFilter filter_;
  VariantStreams streams_;
};

TEST_F(Finishing, HeadersAreRewrittenAndFilesRenamedByTheirRates) {
  // 10.9 s of sound delivered counts as 10 whole seconds.
  Encoded(100'000, 20'000, 87'200);
  ASSERT_TRUE(Finish()) << ::testing::PrintToString(notifier_.texts());
  const std::string video = folder_ + "My_Movie_80000bps.video.zq48";
  const std::string audio = folder_ + "My_Movie_16000bps.audio.zq48";
  ASSERT_TRUE(fs::exists(video));
  ASSERT_TRUE(fs::exists(audio));
  EXPECT_FALSE(fs::exists(videoTemp_));
  EXPECT_FALSE(fs::exists(audioTemp_));
  Bytes v = ReadAll(video);
  ASSERT_EQ(v.size(), 100'024u);
  HeaderBytes first, second;
  std::copy_n(v.begin(), 12, first.begin());
  std::copy_n(v.begin() + 12, 12, second.begin());
  EXPECT_EQ(DecodeFileOutput(first), (FileOutputHeader{2, 10'000'000, 100'000}));
  EXPECT_EQ(DecodeVideo(second), (VideoHeader{15'000'000, 240, 176, 80'000}));
  Bytes a = ReadAll(audio);
  HeaderBytes audioHeader;
  std::copy_n(a.begin(), 12, audioHeader.begin());
  EXPECT_EQ(DecodeAudio(audioHeader), (AudioHeader{2, 16'000, 20'000}));
  EXPECT_EQ(record_.videoBitRates, std::vector<std::uint32_t>{80000});
  EXPECT_EQ(record_.audioBitRates, std::vector<std::uint32_t>{16000});
  // Both handles are closed.
  EXPECT_FALSE(streams_.video.IsOpen());
  EXPECT_FALSE(streams_.audio.IsOpen());
}

TEST_F(Finishing, MovieFilesMeasureOverTheFileAndTrackLengths) {
  record_.sourceKind = kSourceMovie;
  Encoded(50'000, 40'000, 0);
  ASSERT_TRUE(Finish());
  // 50,000 bytes over the 20 s file; 40,000 bytes over the 20 s sound track.
  EXPECT_TRUE(fs::exists(folder_ + "My_Movie_20000bps.video.zq48"));
  Bytes a = ReadAll(folder_ + "My_Movie_16000bps.audio.zq48");
  HeaderBytes audioHeader;
  std::copy_n(a.begin(), 12, audioHeader.begin());
  EXPECT_EQ(DecodeAudio(audioHeader), (AudioHeader{2, 16'000, 40'000}));
}

TEST_F(Finishing, ARangePastTheEndGivesRateZeroAndNoListEntry) {
  filter_.beginTime = 30;
  filter_.endTime = 40;
  Encoded(1000, 500, 8000);
  ASSERT_TRUE(Finish());
  EXPECT_TRUE(fs::exists(folder_ + "My_Movie_0bps.video.zq48"));
  EXPECT_TRUE(fs::exists(folder_ + "My_Movie_0bps.audio.zq48"));
  EXPECT_TRUE(record_.videoBitRates.empty());
  EXPECT_TRUE(record_.audioBitRates.empty());
}

TEST_F(Finishing, ARangeMeasuresRatesOverTheRange) {
  // Video only over 10..15 s of the file: 50,000 bytes in 5 s.
  filter_.audioOn = 0;
  filter_.beginTime = 10;
  filter_.endTime = 15;
  Encoded(50'000, 0, 0);
  ASSERT_TRUE(Finish());
  EXPECT_TRUE(fs::exists(folder_ + "My_Movie_80000bps.video.zq48"));
  // Audio that is off keeps its temporary name and placeholder.
  EXPECT_EQ(ReadAll(audioTemp_), Bytes(12, 0));
}

TEST_F(Finishing, EmptyStreamsKeepTheirTemporaryNames) {
  Encoded(0, 0, 0);
  ASSERT_TRUE(Finish());
  Bytes placeholder(24, 0);
  placeholder[0] = 2;
  EXPECT_EQ(ReadAll(videoTemp_), placeholder);
  EXPECT_EQ(ReadAll(audioTemp_), Bytes(12, 0));
  EXPECT_TRUE(record_.videoBitRates.empty());
}

TEST_F(Finishing, FinalNamesReplaceExistingFiles) {
  const std::string video = folder_ + "My_Movie_80000bps.video.zq48";
  std::ofstream(video) << "an old file";
  Encoded(100'000, 20'000, 80'000);
  ASSERT_TRUE(Finish());
  EXPECT_EQ(fs::file_size(video), 100'024u);
  // The next variant measuring the same rate takes the same name.
  Encoded(100'000, 20'000, 80'000);
  filter_.width = 160;
  ASSERT_TRUE(Finish());
  Bytes v = ReadAll(video);
  HeaderBytes second;
  std::copy_n(v.begin() + 12, 12, second.begin());
  EXPECT_EQ(DecodeVideo(second).width, 160);
  EXPECT_EQ(record_.videoBitRates, (std::vector<std::uint32_t>{80000, 80000}));
}

TEST_F(Finishing, StreamsTooLargeForTheHeaderStopTheVariant) {
  Encoded(10, 10, 80'000);
  // Grown behind the open handle to 4 GiB of payload; a sparse file costs no disk space.
  ASSERT_EQ(::truncate(videoTemp_.c_str(), (4ll << 30) + 24), 0);
  EXPECT_FALSE(Finish());
  ASSERT_EQ(notifier_.texts().size(), 1u);
  EXPECT_EQ(notifier_.texts()[0].rfind("The stream is 4 GiB or larger", 0), 0u);
  EXPECT_TRUE(fs::exists(videoTemp_));  // nothing renamed, nothing listed
  EXPECT_TRUE(fs::exists(audioTemp_));
  EXPECT_TRUE(record_.videoBitRates.empty());
  EXPECT_FALSE(streams_.video.IsOpen());
}

// A stream whose writes failed (here the disk is /dev/full) holds less than
// was encoded: the variant fails with its message, its working files go, and
// nothing of it is renamed or listed.
TEST_F(Finishing, AStreamWhoseWritesFailedLeavesNothingOfTheVariant) {
  Encoded(100, 100, 16000);
  std::optional<StreamFile> full = StreamFile::Create("/dev/full");
  if (!full) GTEST_SKIP() << "no /dev/full";
  Bytes more(4096, 0x33);
  EXPECT_FALSE(full->AppendAtEnd(more.data(), more.size()));
  EXPECT_TRUE(full->WriteFailed());
  streams_.audio = std::move(*full);
  EXPECT_FALSE(Finish());
  EXPECT_EQ(notifier_.texts(), std::vector<std::string>{IncompleteStreamText(audioTemp_)});
  EXPECT_FALSE(fs::exists(videoTemp_));
  EXPECT_FALSE(fs::exists(audioTemp_));
  for (const auto& e : fs::directory_iterator(folder_))
    EXPECT_EQ(e.path().filename().string().find("bps."), std::string::npos) << e.path();
  EXPECT_TRUE(record_.videoBitRates.empty());
  EXPECT_TRUE(record_.audioBitRates.empty());
  EXPECT_FALSE(streams_.video.IsOpen());
}

TEST_F(Finishing, RangesLongerThanTheHeaderCanHoldStopTheVariant) {
  state_.snapshot.Edit([](JobSnapshot& s) { s.catalog.MutableFacts(kInput).videoDuration = 5000.0; });
  Encoded(10, 10, 0);
  EXPECT_FALSE(Finish());
  ASSERT_EQ(notifier_.texts().size(), 1u);
  EXPECT_EQ(notifier_.texts()[0].rfind("The range to encode is longer than 4294 seconds", 0), 0u);
}

TEST_F(Finishing, MissingAudioFormatIsReported) {
  state_.snapshot.Edit([](JobSnapshot& s) { s.catalog.MutableFacts(kInput).audioFormat.reset(); });
  Encoded(100, 100, 0);
  EXPECT_FALSE(Finish());
  EXPECT_EQ(notifier_.texts(), std::vector<std::string>{"error input audio property 2"});
  // No handle is left open behind the failure.
  EXPECT_FALSE(streams_.video.IsOpen());
  EXPECT_FALSE(streams_.audio.IsOpen() || streams_.minimalAudio.IsOpen());
}

TEST(Metafile, LayoutSizesAndReadingBack) {
  EXPECT_EQ(EncodeMetafile({{201836, 80000, 40}, {16000, 16000, 8000}}).size(), 32u);
  EXPECT_EQ(EncodeMetafile({{201836, 80000}, {}}).size(), 16u);
  EXPECT_EQ(EncodeMetafile({}), Bytes(8, 0));
  EXPECT_EQ(EncodeMetafile({{0x01020304}, {5}}),
            (Bytes{1, 0, 0, 0, 1, 0, 0, 0, 4, 3, 2, 1, 5, 0, 0, 0}));
  EXPECT_EQ(MetafileName("/out/", "/in/My Movie.avi", false), "/out/My_Movie.meta.zq48");
  EXPECT_EQ(MetafileName("/out/", "/in/My Movie.avi", true), "My_Movie.meta.zq48");

  TempDir dir;
  std::string path = dir.File("m.meta.zq48");
  Metafile m{{300, 100, 200}, {16000}};  // variant order, not sorted
  Bytes bytes = EncodeMetafile(m);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  EXPECT_EQ(ReadMetafile(path, nullptr), m);
  bytes.pop_back();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  std::string problem;
  EXPECT_EQ(ReadMetafile(path, &problem), std::nullopt);
  EXPECT_EQ(problem, "the counts call for 24 bytes but the file has 23");
}

TEST_F(Finishing, MetafileIsWrittenFromTheListsWhichAreEmptiedEveryTime) {
  record_.videoBitRates = {300, 100};
  record_.audioBitRates = {8000};
  ASSERT_TRUE(PackageOutputs().WriteMetafile(context_, record_, kInput));
  EXPECT_EQ(ReadAll(folder_ + "My_Movie.meta.zq48"), EncodeMetafile({{300, 100}, {8000}}));
  EXPECT_TRUE(record_.videoBitRates.empty());
  EXPECT_TRUE(record_.audioBitRates.empty());

  record_.videoBitRates = {1};
  state_.snapshot.Edit([this](JobSnapshot& s) { s.catalog.Settings().setDestinationFolder(folder_ + "gone/"); });
  EXPECT_FALSE(PackageOutputs().WriteMetafile(context_, record_, kInput));
  EXPECT_EQ(notifier_.texts(), std::vector<std::string>{"Error create metafile"});
  EXPECT_TRUE(record_.videoBitRates.empty());
}

constexpr const char* kReferencePage =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
    "<html>\n"
    "<head>\n"
    "<title></title>\n"
    "</head>\n"
    "<body>\n"
    "<applet archive=\"zqmPlayer.jar\" code=\"zqmPlayer.class\" width=\"260\" height=\"192\">\n"
    "\n"
    "<param name=\"AutoPlay\" value=\"false\">\n"
    "<param name=\"RepeatForever\" value=\"false\">\n"
    "<param name=\"UrlBase\" value=\"codebase\">\n"
    "<param name=\"PanelEnable\" value=\"true\">\n"
    "<param name=\"PanelImagesURL\" value=\"buttons.gif\">\n"
    "\n"
    "<param name=\"MetaURL\" value=\"My_Movie.meta.zq48\">\n"
    "\n"
    "<!-- <param name=\"BackgroundColor\" value=\"FFFFFF\"> -->\n"
    "<param name=\"VideoEndImageURL\" value=\"the%20end.png\">\n"
    "<!-- <param name=\"VideoTitleImageURL\" value=\"title.jpg\"> -->\n"
    "<!-- <param name=\"PanelButtonsWidths\" value=\"15,15,15,7,6,1,6,15\"> -->\n"
    "<!-- <param name=\"MuteAudio\" value=\"false\"> -->\n"
    "\n"
    "<!-- Under Microsoft JVM alpha blending is very slow, 255 turns off transparency -->\n"
    "<!-- <param name=\"VideoAlphaValue\" value=\"255\"> -->\n"
    "\n"
    "If you are not seeing graphics and video, your email reader or web browser is not equipped "
    "to show Java rich media. Please visit\n"
    "www.java.com !\n"
    "</applet>\n"
    "</body>\n"
    "</html>";

TEST_F(Finishing, WebPageMatchesTheReferenceAndCopiesImages) {
  // Variants of 160x128 and 240x176: the player is 260 x 192.
  record_.largestWidth = 240;
  record_.largestHeight = 176;
  std::string image = dir_.File("pics/the end.png");
  fs::create_directory(dir_.File("pics"));
  std::ofstream(image) << "png bytes";
  state_.snapshot.Edit([&](JobSnapshot& s) {
    s.catalog.Settings().endImageOn = true;
    s.catalog.Settings().endImagePath = image;
    s.catalog.Settings().titleImageOn = false;
    s.catalog.Settings().titleImagePath = "/nowhere/title.jpg";
  });
  ASSERT_TRUE(PackageOutputs().WriteWebPage(context_, record_, kInput));
  std::string page = ReadText(folder_ + "My_Movie.html");
  EXPECT_EQ(page, kReferencePage);
  EXPECT_EQ(std::count(page.begin(), page.end(), '\n'), 29);
  EXPECT_EQ(ReadText(folder_ + "the end.png"), "png bytes");

  // Both images on: both lines are active; the copies keep their spaces, the URLs encode them.
  state_.snapshot.Edit([&](JobSnapshot& s) {
    s.catalog.Settings().titleImageOn = true;
    s.catalog.Settings().titleImagePath = image;
  });
  ASSERT_TRUE(PackageOutputs().WriteWebPage(context_, record_, kInput));
  page = ReadText(folder_ + "My_Movie.html");
  EXPECT_NE(page.find("<param name=\"VideoTitleImageURL\" value=\"the%20end.png\">\n"), std::string::npos);
  EXPECT_EQ(page.find("title.jpg"), std::string::npos);
}

TEST_F(Finishing, PageThatCannotBeCreatedIsReported) {
  // Without the page for today's browsers, which would report its own failure.
  state_.snapshot.Edit([this](JobSnapshot& s) {
    s.catalog.Settings().setDestinationFolder(folder_ + "gone/");
    s.catalog.Settings().webPageOn = false;
  });
  EXPECT_FALSE(PackageOutputs().WriteWebPage(context_, record_, kInput));
  EXPECT_EQ(notifier_.texts(), std::vector<std::string>{"Error create HTML"});
}

}  // namespace
}  // namespace zq48

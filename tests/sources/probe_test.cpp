#include "sources/probe.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "catalog/file_facts.h"
#include "sources/ffmpeg_general_media.h"
#include "sources/ffmpeg_movie_media.h"
#include "support/recording_notifier.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

using testing::ClipSpec;
using testing::RecordingNotifier;
using testing::TempDir;

// Probes real files through the FFmpeg media services.
class ProbeFiles : public ::testing::Test {
 protected:
  TempDir dir_;
  InputCatalog catalog_;
  RecordingNotifier notifier_;
  FfmpegGeneralMedia general_;
  FfmpegMovieMedia movie_;
  MediaProbe probe_{catalog_, notifier_, MediaServices{&general_, &movie_}};

  bool Probe(const std::string& path) { return probe_.Probe(path, &durationText_); }
  const MediaFacts& Facts(const std::string& path) { return catalog_.Facts(path); }
  std::string durationText_;
};

TEST_F(ProbeFiles, AviWithSound) {
  std::string path = dir_.File("clip.avi");
  testing::WriteAvi(path, ClipSpec{.width = 160, .height = 120, .seconds = 2.0});
  ASSERT_TRUE(Probe(path)) << ::testing::PrintToString(notifier_.texts());
  const MediaFacts& f = Facts(path);
  EXPECT_EQ(f.sourceKind, kSourceGeneral);
  EXPECT_EQ(f.width, 160);
  EXPECT_EQ(f.height, 120);
  EXPECT_TRUE(f.hasVideo);
  EXPECT_TRUE(f.hasAudio);
  EXPECT_DOUBLE_EQ(f.frameRate, 15.0);
  EXPECT_NEAR(f.videoDuration, 2.0, 0.1);
  EXPECT_NEAR(f.audioDuration, 2.0, 0.1);
  EXPECT_EQ(durationText_, f.durationText);
  EXPECT_EQ(f.durationText.substr(0, 9), "00h:00m:0");
  std::uint64_t size = *RegularFileSize(path);
  EXPECT_EQ(f.sizeText, SizeText(size));
  // Two whole seconds: the bit rate counts the file over them.
  EXPECT_EQ(f.bitRate, static_cast<std::int64_t>(size * 8 / 2));
  ASSERT_TRUE(f.audioFormat);
  const WaveFormat& w = f.audioFormat->wave;
  EXPECT_EQ(w.formatTag, 1);
  EXPECT_EQ(w.channels, 1);
  EXPECT_EQ(w.samplesPerSec, 22050u);
  EXPECT_EQ(w.bitsPerSample, 16);
  EXPECT_EQ(w.blockAlign, 2);
  EXPECT_EQ(w.avgBytesPerSec, 44100u);
  EXPECT_TRUE(notifier_.texts().empty());
}

TEST_F(ProbeFiles, OtherGeneralContainers) {
  std::string mpeg = dir_.File("clip.mpg");
  testing::WriteMpegPs(mpeg, ClipSpec{.fpsNum = 25, .sampleRate = 44100, .channels = 2});
  ASSERT_TRUE(Probe(mpeg)) << ::testing::PrintToString(notifier_.texts());
  EXPECT_EQ(Facts(mpeg).sourceKind, kSourceGeneral);
  EXPECT_DOUBLE_EQ(Facts(mpeg).frameRate, 25.0);
  ASSERT_TRUE(Facts(mpeg).audioFormat);
  EXPECT_EQ(Facts(mpeg).audioFormat->wave.formatTag, 0x50);  // MPEG audio
  EXPECT_EQ(Facts(mpeg).audioFormat->wave.channels, 2);
  EXPECT_EQ(Facts(mpeg).audioFormat->wave.samplesPerSec, 44100u);

  // An MP4 starts with "ftyp", which is not a movie-file atom.
  std::string mp4 = dir_.File("clip.mp4");
  testing::WriteMp4(mp4);
  ASSERT_EQ(testing::FirstAtomType(mp4), "ftyp");
  ASSERT_TRUE(Probe(mp4)) << ::testing::PrintToString(notifier_.texts());
  EXPECT_EQ(Facts(mp4).sourceKind, kSourceGeneral);
  EXPECT_TRUE(Facts(mp4).hasAudio);

  std::string silent = dir_.File("silent.avi");
  testing::WriteAvi(silent, ClipSpec{.audio = false});
  ASSERT_TRUE(Probe(silent));
  EXPECT_FALSE(Facts(silent).hasAudio);
  EXPECT_FALSE(Facts(silent).audioFormat);
  EXPECT_TRUE(notifier_.texts().empty());
}

TEST_F(ProbeFiles, MovieFilesByFirstAtom) {
  for (const char* atom : {"mdat", "moov", "free"}) {
    SCOPED_TRACE(atom);
    std::string path = dir_.File(std::string("movie_") + atom + ".mov");
    // 315 pictures over 10.5 s: 315 / 10 whole seconds = 31 frames per second.
    testing::WriteMovie(path,
                        ClipSpec{.width = 64, .height = 48, .fpsNum = 30, .seconds = 10.5,
                                 .sampleRate = 8000, .channels = 2},
                        atom);
    ASSERT_TRUE(Probe(path)) << ::testing::PrintToString(notifier_.texts());
    const MediaFacts& f = Facts(path);
    EXPECT_EQ(f.sourceKind, kSourceMovie);
    EXPECT_EQ(f.width, 64);
    EXPECT_EQ(f.height, 48);
    EXPECT_DOUBLE_EQ(f.frameRate, 31.0);
    EXPECT_EQ(f.videoDuration, 10.0);  // whole seconds
    EXPECT_EQ(f.audioDuration, 10.0);
    EXPECT_EQ(f.durationText, "");
    EXPECT_GT(f.bitRate, 0);
    EXPECT_EQ(f.bitRate % 8, 0);
    ASSERT_TRUE(f.audioFormat);
    const WaveFormat& w = f.audioFormat->wave;
    EXPECT_EQ(w.formatTag, 0);
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.samplesPerSec, 8000u);
    EXPECT_EQ(w.bitsPerSample, 16);
    // 8000 Hz, 2 channels, 16 bits over 10.5 s, counted per whole second.
    EXPECT_NEAR(w.avgBytesPerSec, 8000 * 4 * 10.5 / 10, 8000 * 4 * 0.05);
  }
  EXPECT_TRUE(notifier_.texts().empty());
}

TEST_F(ProbeFiles, MovieShorterThanOneSecondIsNotDividedByZero) {
  std::string path = dir_.File("short.mov");
  testing::WriteMovie(path, ClipSpec{.width = 64, .height = 48, .fpsNum = 10, .seconds = 0.5},
                      "mdat");
  ASSERT_TRUE(Probe(path));
  // Five pictures in half a second count as ten a second.
  EXPECT_NEAR(Facts(path).frameRate, 10.0, 1.0);
  EXPECT_GT(Facts(path).bitRate, 0);
  EXPECT_GT(Facts(path).audioFormat->wave.avgBytesPerSec, 0u);
}

TEST_F(ProbeFiles, MovieFilesFailQuietlyWithoutAMovieService) {
  std::string path = dir_.File("movie.mov");
  testing::WriteMovie(path, ClipSpec{.width = 64, .height = 48}, "mdat");
  MediaProbe probe(catalog_, notifier_, MediaServices{&general_, nullptr});
  EXPECT_FALSE(probe.Probe(path));
  EXPECT_EQ(Facts(path).sourceKind, kSourceMovie);
  EXPECT_TRUE(notifier_.texts().empty());
}

TEST_F(ProbeFiles, SoundWithoutPicturesHasNoVideoDecoder) {
  std::string wav = dir_.File("sound.wav");
  testing::WriteWav(wav);
  EXPECT_FALSE(Probe(wav));
  EXPECT_EQ(notifier_.texts(),
            std::vector<std::string>{"Cannot render " + wav + ".\nRequired video codec is absent"});
  // Facts found before the refusal stay.
  EXPECT_TRUE(Facts(wav).hasAudio);
  EXPECT_EQ(notifier_.messages()[0].caption, kAppCaption);
}

TEST_F(ProbeFiles, EmptyAndMissingFilesFailQuietly) {
  std::string empty = dir_.File("empty.avi");
  testing::WriteZeroByte(empty);
  EXPECT_FALSE(Probe(empty));
  EXPECT_FALSE(Probe(dir_.File("missing.avi")));
  EXPECT_FALSE(Probe(dir_.path()));  // a folder is not a media file
  EXPECT_TRUE(notifier_.texts().empty());
}

TEST_F(ProbeFiles, GarbageAndTruncatedFilesAreRefusedWithAMessage) {
  std::string garbage = dir_.File("garbage.avi");
  testing::WriteGarbage(garbage, 5000);
  EXPECT_FALSE(Probe(garbage));
  EXPECT_EQ(notifier_.texts(), std::vector<std::string>{"Can't open " + garbage + " file."});

  std::string whole = dir_.File("whole.avi");
  testing::WriteAvi(whole);
  for (std::size_t keep : {16, 300, 2000}) {
    RecordingNotifier notifier;
    MediaProbe probe(catalog_, notifier, MediaServices{&general_, &movie_});
    std::string cut = dir_.File("cut" + std::to_string(keep) + ".avi");
    testing::WriteTruncated(whole, cut, keep);
    EXPECT_FALSE(probe.Probe(cut)) << keep;
    ASSERT_EQ(notifier.texts().size(), 1u) << keep;
    const std::string text = notifier.texts()[0];
    EXPECT_TRUE(text == "Can't open " + cut + " file." ||
                text.rfind("Cannot render " + cut + ".\nRequired ", 0) == 0)
        << text;
  }

  std::string movie = dir_.File("movie.mov");
  testing::WriteMovie(movie, ClipSpec{.width = 64, .height = 48}, "mdat");
  std::string cutMovie = dir_.File("cut.mov");
  testing::WriteTruncated(movie, cutMovie, 100);
  RecordingNotifier notifier;
  MediaProbe probe(catalog_, notifier, MediaServices{&general_, &movie_});
  EXPECT_FALSE(probe.Probe(cutMovie));
  EXPECT_EQ(notifier.texts(), std::vector<std::string>{"Can't open " + cutMovie + " file."});
}

TEST_F(ProbeFiles, DatesAreTheFileTimesInLocalTime) {
  std::string path = dir_.File("clip.avi");
  testing::WriteAvi(path);
  std::tm when{};
  when.tm_year = 2001 - 1900;
  when.tm_mon = 1;
  when.tm_mday = 3;
  when.tm_hour = 12;
  when.tm_isdst = -1;
  utimbuf times{std::mktime(&when), std::mktime(&when)};
  ASSERT_EQ(utime(path.c_str(), &times), 0);
  ASSERT_TRUE(Probe(path));
  EXPECT_EQ(Facts(path).modifiedDate, "02/03/2001");
  EXPECT_EQ(Facts(path).createdDate.size(), 10u);  // mm/dd/yyyy
}

// ---- probing logic over media services that say what a test wants --------

class FakeGeneralMedia : public GeneralMediaService {
 public:
  StreamDetection detection;
  DecodeCheck check;
  mutable bool askedForAudio = false;
  StreamDetection DetectStreams(const std::string&) const override { return detection; }
  DecodeCheck CheckDecode(const std::string&, bool withAudio) const override {
    askedForAudio = withAudio;
    return check;
  }
};

class FakeMovieMedia : public MovieMediaService {
 public:
  std::optional<MovieFacts> facts;
  std::optional<MovieFacts> OpenMovie(const std::string&) const override { return facts; }
};

DetectedStream VideoStream(double length) {
  DetectedStream s;
  s.type = DetectedStream::Type::Video;
  s.hasPictureHeader = true;
  s.width = 320;
  s.height = -240;  // bottom-up headers give negative heights
  s.frameRate = 29.97;
  s.length = length;
  return s;
}

class ProbeLogic : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("x.avi");
    testing::WriteGarbage(path_, 20480);
    movie_ = dir_.File("x.mov");
    testing::WriteGarbage(movie_, 5000);
    // Give the movie a movie-file first atom.
    FILE* f = std::fopen(movie_.c_str(), "r+b");
    std::fseek(f, 4, SEEK_SET);
    std::fwrite("moov", 1, 4, f);
    std::fclose(f);
  }
  bool Probe(const std::string& path) { return probe_.Probe(path); }

  TempDir dir_;
  std::string path_, movie_;
  InputCatalog catalog_;
  RecordingNotifier notifier_;
  FakeGeneralMedia general_;
  FakeMovieMedia movieMedia_;
  MediaProbe probe_{catalog_, notifier_, MediaServices{&general_, &movieMedia_}};
};

TEST_F(ProbeLogic, GeneralFailuresMapToTheirMessages) {
  using S = DecodeCheck::Status;
  const std::pair<S, std::string> cases[] = {
      {S::GraphFailed, "Error initialize COM"},
      {S::NoSource, "Cannot render " + path_ + ".\nRequired source filter is absent"},
      {S::NoVideoDecoder, "Cannot render " + path_ + ".\nRequired video codec is absent"},
      {S::NoAudioDecoder, "Cannot render " + path_ + ".\nRequired audio codec is absent"},
  };
  general_.detection.streams = {VideoStream(10.0)};
  for (const auto& [status, message] : cases) {
    RecordingNotifier notifier;
    MediaProbe probe(catalog_, notifier, MediaServices{&general_, &movieMedia_});
    general_.check.status = status;
    EXPECT_FALSE(probe.Probe(path_));
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{message});
  }

  general_.detection.status = StreamDetection::Status::DetectorFailed;
  EXPECT_FALSE(Probe(path_));
  general_.detection.status = StreamDetection::Status::OpenFailed;
  EXPECT_FALSE(Probe(path_));
  general_.detection.status = StreamDetection::Status::Ok;
  general_.detection.streams[0].hasPictureHeader = false;
  EXPECT_FALSE(Probe(path_));
  EXPECT_EQ(notifier_.texts(),
            (std::vector<std::string>{"Error initialize IMediaDet", "Can't open " + path_ + " file.",
                                      "Error video sream in " + path_ + " file."}));
}

TEST_F(ProbeLogic, GeneralFactsAndBitRates) {
  DetectedStream audio;
  audio.type = DetectedStream::Type::Audio;
  audio.audioFormat = AudioFormat{"mp2", "WaveFormatEx", WaveFormat{0x50, 2, 44100, 24000, 0, 0, 0}};
  audio.length = 9.5;
  general_.detection.streams = {VideoStream(4.0), audio};
  general_.check.duration100ns = 1'255'000'000;  // 125.5 s
  std::string text;
  ASSERT_TRUE(probe_.Probe(path_, &text));
  EXPECT_EQ(text, "00h:02m:05.500s");
  EXPECT_TRUE(general_.askedForAudio);
  const MediaFacts& f = catalog_.Facts(path_);
  EXPECT_EQ(f.height, 240);
  EXPECT_DOUBLE_EQ(f.frameRate, 29.97);
  EXPECT_EQ(f.audioDuration, 9.5);
  EXPECT_EQ(f.sizeText, "20");
  EXPECT_EQ(f.bitRate, 20480 * 8 / 125);
  EXPECT_EQ(f.audioFormat, audio.audioFormat);

  // Under one whole second of graph duration the video length gives the bit rate.
  general_.detection.streams = {VideoStream(4.0)};
  general_.check.duration100ns = 9'990'000;
  ASSERT_TRUE(probe_.Probe(path_, &text));
  EXPECT_EQ(text, "00h:00m:00.999s");
  EXPECT_EQ(catalog_.Facts(path_).bitRate, 20480 * 8 / 4);
  EXPECT_FALSE(general_.askedForAudio);
}

MovieFacts TenSecondMovie() {
  MovieFacts m;
  m.boxLeft = 10;
  m.boxTop = 20;
  m.boxRight = 330;
  m.boxBottom = 260;
  m.timeScale = 600;
  m.duration = 6300;  // 10.5 s
  m.videoSampleCount = 315;
  m.tracks = {{MovieTrack::Media::Video, 6300, 100000},
              {MovieTrack::Media::Sound, 6300, 22000},
              {MovieTrack::Media::Other, 6300, 999}};
  m.sound = SoundDescription{1, 8, 0x2B7745D1};
  return m;
}

TEST_F(ProbeLogic, MovieFacts) {
  movieMedia_.facts = TenSecondMovie();
  ASSERT_TRUE(Probe(movie_));
  const MediaFacts& f = catalog_.Facts(movie_);
  EXPECT_EQ(f.width, 320);
  EXPECT_EQ(f.height, 240);
  EXPECT_DOUBLE_EQ(f.frameRate, 31.0);
  EXPECT_EQ(f.sizeText, "5000");
  EXPECT_EQ(f.bitRate, (122000 / 10) * 8);  // the other track is not counted
  ASSERT_TRUE(f.audioFormat);
  EXPECT_EQ(f.audioFormat->wave.samplesPerSec, 11000u);
  EXPECT_EQ(f.audioFormat->wave.avgBytesPerSec, 2200u);
  EXPECT_EQ(f.audioFormat->wave.bitsPerSample, 8);
  EXPECT_EQ(f.audioFormat->subtype, "PCM");
}

TEST_F(ProbeLogic, MovieRefusals) {
  movieMedia_.facts.reset();
  EXPECT_FALSE(Probe(movie_));
  movieMedia_.facts = TenSecondMovie();
  movieMedia_.facts->timeScale = 0;
  EXPECT_FALSE(Probe(movie_));
  movieMedia_.facts = TenSecondMovie();
  movieMedia_.facts->videoSampleCount.reset();
  EXPECT_FALSE(Probe(movie_));
  EXPECT_EQ(notifier_.texts(),
            (std::vector<std::string>{"Can't open " + movie_ + " file.",
                                      "Can't open " + movie_ + " file.",
                                      "Can't get FPS " + movie_ + " file."}));
  // No length, or a sound track whose description cannot be read: refused quietly.
  movieMedia_.facts = TenSecondMovie();
  movieMedia_.facts->duration = 0;
  EXPECT_FALSE(Probe(movie_));
  movieMedia_.facts = TenSecondMovie();
  movieMedia_.facts->sound.reset();
  EXPECT_FALSE(Probe(movie_));
  EXPECT_EQ(notifier_.texts().size(), 3u);
}

TEST(FileFacts, SizeDurationAndRateTexts) {
  EXPECT_EQ(SizeText(5000), "5000");
  EXPECT_EQ(SizeText(10240), "10240");
  EXPECT_EQ(SizeText(10241), "10");
  EXPECT_EQ(SizeText(20480), "20");
  EXPECT_EQ(SizeText(5'000'000'000ull), "4882812");
  EXPECT_EQ(DurationText(0), "00h:00m:00.000s");
  EXPECT_EQ(DurationText(1'255'000'000), "00h:02m:05.500s");
  EXPECT_EQ(DurationText(36'610'010'000ll), "01h:01m:01.001s");

  EXPECT_EQ(SamplesPerSecOfSoundRate(0x2B7745D1), 11000u);
  EXPECT_EQ(SamplesPerSecOfSoundRate(0x56EE8BA3), 22000u);
  EXPECT_EQ(SamplesPerSecOfSoundRate(44100u << 16), 44100u);
  EXPECT_EQ(SamplesPerSecOfSoundRate(12345u << 16), 0u);
  EXPECT_EQ(SoundRateFixed(11127), 0x2B7745D1u);
  EXPECT_EQ(SoundRateFixed(22050), 22050u << 16);
}

}  // namespace
}  // namespace zq48

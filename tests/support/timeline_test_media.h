#pragma once

// Clips for checking that pictures and sound keep to one timeline: dark grey
// pictures with a white flash, silence with a beep, at the same instants of
// the film. Each maker gives the shape of a kind of file people have (late
// first picture, DVD and broadcast time stamps, WebM, variable frame rate,
// phone rotation, non-square pixels, several sound tracks, a still picture).

#include <string>
#include <vector>

namespace zq48::testing {

// Where the flashes and beeps start, in seconds of the film (time 0 is the
// earliest start of its streams), and how long each lasts.
inline constexpr double kFlashTimes[] = {1.0, 3.0};
inline constexpr double kFlashSeconds = 0.1;
// The last stretch of sound is a steady tone up to its very end, so that a
// test can find where the sound ends.
inline constexpr double kClosingToneSeconds = 0.3;

struct TimelineSound {
  double toneHz = 1000.0;  // the pitch of the beeps and the closing tone
  int sampleRate = 44100;
  int channels = 1;
  bool markedDefault = false;
};

// What the pictures show.
enum class TimelineScene {
  Flashes,  // dark grey with a small moving block; white at the flash instants
  Corners,  // upright: a white block top left, a grey one top right, dark below
};

struct TimelineClip {
  std::string muxer = "matroska";
  std::string videoEncoder = "mpeg4";
  std::string soundEncoder = "aac";
  int width = 160;  // as stored
  int height = 120;
  int fps = 25;
  bool variableRate = false;  // pictures 1/30 s and 1/15 s apart by turns
  int pictures = -1;          // >= 0: only this many pictures
  int bFrames = 0;            // pictures coded out of order between references
  double seconds = 4.0;       // length of the sound; the pictures end with it
  double videoStart = 0.0;    // the first picture's time after the first sound
  double fileStart = 0.0;     // added to every time stamp the muxer writes
  std::vector<TimelineSound> sound{TimelineSound{}};
  // false: the sound's first packet starts its encoder's delay (priming)
  // ahead of the first picture, as muxers write a recording; true: that
  // delay is put back in front, so the packets start together.
  bool soundPacketsWithPictures = false;
  TimelineScene scene = TimelineScene::Flashes;
  int rotation = 0;            // degrees the player turns the stored picture clockwise
  int aspectNum = 1;           // sample (pixel) aspect ratio
  int aspectDen = 1;
  bool oldStyleMovie = false;  // "mov" only: the leading "ftyp" renamed, for the movie-file path
};

// Writes the clip; throws std::runtime_error when FFmpeg refuses.
void WriteTimelineClip(const std::string& path, const TimelineClip& clip);

// A clip as FFmpeg reads and plays it (a check of the writer itself): the
// start times of its picture and sound streams, and where its flashes and
// beeps (and the closing tone) start, in seconds from the earlier of the two.
struct ClipMarks {
  double videoStart = 0;
  double soundStart = 0;
  std::vector<double> flashes;
  std::vector<double> beeps;
};
ClipMarks MeasureClip(const std::string& path);

// The shapes, each as its writer's input.
TimelineClip PlainAviWithPcm();               // the reference: AVI, MPEG-4 Part 2, PCM
TimelineClip MatroskaWithLateVideo();         // FLAC from 0, pictures (24 fps) from 0.5 s
TimelineClip ProgramStreamStartingLate();     // MPEG-2 + MP2 as on a DVD: sound from 0.53 s, pictures from 0.54 s
TimelineClip WebmWithOpus();                  // VP9 + Opus; the Opus pre-skip puts the sound's start at -6.5 ms
TimelineClip MovieWithLateVideo();            // old-style movie: PCM from 0, pictures from 0.5 s (an edit list)
TimelineClip MatroskaWithVariableRate();      // FLAC; pictures 1/30 s and 1/15 s apart by turns
TimelineClip TransportStreamWithClockWrap();  // as the program stream; the 33-bit clock wraps 1.75 s in
TimelineClip RotatedPhoneMp4();               // 320x180 stored, shown turned 90 degrees clockwise
TimelineClip WidescreenPalClip();             // 720x576 stored, pixels 64:45 (16:9 shown)
TimelineClip TwoSoundTracks();                // 440 Hz first, 1 kHz second and marked default
TimelineClip OnePictureWithSound();           // MP4: one picture, 2 s of sound

}  // namespace zq48::testing

#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

#include "ui/playback_clock.h"
#include "ui/preview_rules.h"

namespace zq48 {

class DecodeGraph;
class SoundOutput;

// Plays one file in real time: the decoder runs on its own threads and
// each picture and sound block waits on the clock until it is due. The
// latest picture is kept for the view to paint. Seeking starts the decoder
// anew from the new position; the end of the file is reported once.
class PreviewPlayer : public QObject {
  Q_OBJECT

 public:
  explicit PreviewPlayer(QObject* parent = nullptr);
  ~PreviewPlayer() override;

  // Loads a file, stopped at its start; nothing plays yet. The duration
  // (seconds) is the catalog's, for positions and seeking. False when the
  // file has nothing the decoder can play.
  bool Open(const QString& path, double duration);
  // From stopped: plays from the start; from paused: goes on from the position.
  void Play();
  void Pause();
  // Ends decoding and forgets the file.
  void Stop();
  // A loaded file that is not running is paused first, showing the picture there.
  void Seek(double seconds);

  PreviewState State() const { return state_; }
  bool Loaded() const { return !path_.isEmpty(); }
  double Position() const;  // seconds
  double Duration() const { return duration_; }
  bool HasSound() const { return sound_ != nullptr; }
  void SetAttenuation(int attenuation);
  QImage Picture() const;

 signals:
  void pictureChanged();
  void finished();

 private:
  void Restart(double origin, bool paused);
  void Halt();
  bool OpenGraph(DecodeGraph& graph) const;
  void OnPicture(double time, const std::uint8_t* data, std::size_t bytes);
  void OnSound(double time, const std::uint8_t* data, std::size_t bytes);

  QString path_;
  double duration_ = 0.0;
  bool video_ = true;  // what the file gave at Open
  bool audio_ = true;
  PreviewState state_ = PreviewState::Stopped;
  int attenuation_ = 0;
  int generation_ = 0;  // tells a finished run's late report from the present run's

  PlaybackClock clock_;
  std::unique_ptr<SoundOutput> sound_;
  std::unique_ptr<DecodeGraph> graph_;  // after the clock and sound: its threads use them
  int width_ = 0;
  int height_ = 0;
  std::atomic<bool> showNext_{false};  // the first picture of a paused run is shown at once
  std::atomic<bool> pictureQueued_{false};
  mutable std::mutex pictureMutex_;
  QImage picture_;
};

}  // namespace zq48

#include "ui/preview_player.h"

#include <cstring>
#include <utility>
#include <limits>

#include "sources/decode_graph.h"
#include "ui/preview_volume.h"
#include "ui/sound_output.h"

namespace zq48 {

namespace {
// Sound goes to the output a little ahead of its time: the output buffers it.
constexpr double kSoundLead = 0.1;
}  // namespace

PreviewPlayer::PreviewPlayer(QObject* parent) : QObject(parent) {}

PreviewPlayer::~PreviewPlayer() { Halt(); }

bool PreviewPlayer::OpenGraph(DecodeGraph& graph) const {
  return graph.Open(path_.toStdString(), video_, audio_) == DecodeGraph::OpenStatus::Ok;
}

bool PreviewPlayer::Open(const QString& path, double duration) {
  Stop();
  path_ = path;
  duration_ = duration > 0 ? duration : 0.0;
  // Whatever the file lacks or cannot decode is left out, picture or sound.
  constexpr std::pair<bool, bool> kTries[] = {{true, true}, {true, false}, {false, true}};
  for (auto [video, audio] : kTries) {
    video_ = video;
    audio_ = audio;
    DecodeGraph probe;
    if (!OpenGraph(probe)) continue;
    width_ = probe.width();
    height_ = probe.height();
    if (audio) sound_ = SoundOutput::Create(probe.sampleRate(), probe.channels());
    // Without an output the sound is not worth decoding, unless it is all there is.
    if (!sound_ && video) audio_ = false;
    SetAttenuation(attenuation_);
    return true;
  }
  path_.clear();
  return false;
}

void PreviewPlayer::Play() {
  if (state_ == PreviewState::Paused) {
    clock_.Resume();
    if (sound_) sound_->Resume();
    state_ = PreviewState::Playing;
  } else if (state_ == PreviewState::Stopped && Loaded()) {
    Restart(0.0, false);
  }
}

void PreviewPlayer::Pause() {
  if (state_ != PreviewState::Playing) return;
  clock_.Pause();
  if (sound_) sound_->Suspend();
  state_ = PreviewState::Paused;
}

void PreviewPlayer::Stop() {
  Halt();
  sound_.reset();
  path_.clear();
  state_ = PreviewState::Stopped;
  std::lock_guard lock(pictureMutex_);
  picture_ = QImage();
}

void PreviewPlayer::Seek(double seconds) {
  if (!Loaded()) return;
  if (duration_ > 0) seconds = std::min(seconds, duration_);
  Restart(std::max(seconds, 0.0), state_ != PreviewState::Playing);
}

void PreviewPlayer::Halt() {
  ++generation_;
  clock_.Cancel();  // lets a delivery waiting for its time return, so the graph can end
  graph_.reset();
}

void PreviewPlayer::Restart(double origin, bool paused) {
  Halt();
  if (sound_) {
    sound_->Clear();
    paused ? sound_->Suspend() : sound_->Resume();
  }
  clock_.Restart(origin, paused);
  showNext_ = true;
  state_ = paused ? PreviewState::Paused : PreviewState::Playing;
  graph_ = std::make_unique<DecodeGraph>();
  if (!OpenGraph(*graph_)) {  // the file went away since it was loaded
    graph_.reset();
    return;
  }
  graph_->SetRange(static_cast<std::int64_t>(origin * 1e7), std::numeric_limits<std::int64_t>::max());
  const int generation = generation_;
  graph_->Run([this](double t, const std::uint8_t* d, std::size_t n) { OnPicture(t, d, n); },
              [this](double t, const std::uint8_t* d, std::size_t n) { OnSound(t, d, n); },
              [this, generation] {
                QMetaObject::invokeMethod(this, [this, generation] {
                  if (generation == generation_) emit finished();
                });
              });
}

// Decoder thread.
void PreviewPlayer::OnPicture(double time, const std::uint8_t* data, std::size_t bytes) {
  if (!showNext_.exchange(false) && !clock_.WaitUntilDue(time)) return;
  const std::size_t stride = static_cast<std::size_t>(width_) * 3;
  if (bytes < stride * height_) return;
  QImage image(width_, height_, QImage::Format_BGR888);
  for (int y = 0; y < height_; ++y)  // the decoder's rows run bottom-up
    std::memcpy(image.scanLine(y), data + stride * (height_ - 1 - y), stride);
  {
    std::lock_guard lock(pictureMutex_);
    picture_ = std::move(image);
  }
  if (!pictureQueued_.exchange(true))
    QMetaObject::invokeMethod(this, [this] {
      pictureQueued_ = false;
      emit pictureChanged();
    });
}

// Decoder thread.
void PreviewPlayer::OnSound(double time, const std::uint8_t* data, std::size_t bytes) {
  // Paced even when silent, so that a file of sound alone lasts its length.
  if (clock_.WaitUntilDue(time - kSoundLead) && sound_) sound_->Write(data, bytes);
}

double PreviewPlayer::Position() const {
  if (state_ == PreviewState::Stopped) return 0.0;
  const double p = std::max(clock_.Position(), 0.0);
  return duration_ > 0 ? std::min(p, duration_) : p;
}

void PreviewPlayer::SetAttenuation(int attenuation) {
  attenuation_ = attenuation;
  if (sound_) sound_->SetGain(LinearGain(attenuation));
}

QImage PreviewPlayer::Picture() const {
  std::lock_guard lock(pictureMutex_);
  return picture_;
}

}  // namespace zq48

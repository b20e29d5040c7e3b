#pragma once

#include <QTimer>
#include <QWidget>

#include "ui/preview_player.h"
#include "ui/preview_rules.h"

class QAction;
class QSlider;
class QToolBar;

namespace zq48 {

class EffectButton;
class SeekBar;
class VideoArea;
struct MediaFacts;

// The preview pane: the picture of the file being played, a seek bar under
// it and a tool bar with Play, Pause, Stop, Mute and the volume. The tool
// bar's commands go to the main window, which decides what they do.
class PreviewView : public QWidget {
  Q_OBJECT

 public:
  explicit PreviewView(QWidget* parent = nullptr);

  // Starts playing the file from its start. False when nothing in it plays.
  bool Play(const QString& path, const MediaFacts& facts);
  void Resume();
  void Pause();
  // Back to no file: the whole box, the seek bar at 0, the controls off.
  void Stop();
  PreviewState State() const { return player_.State(); }
  // Follows the commands the main window allows now.
  void SetCommands(const PreviewCommands& commands);

  // The volume as the output has it now (hundredths of a dB).
  int CurrentAttenuation() const;
  bool Muted() const { return muted_; }
  void ToggleMute();

  PreviewPlayer& Player() { return player_; }
  QSlider& Seek();
  QSlider& Volume() { return *volume_; }
  QRect VideoRect() const;
  QAction* ToolAction(const char* name) const;
  bool IsFullScreen() const { return fullScreen_; }

 signals:
  void playRequested();
  void pauseRequested();
  void stopRequested();
  // The file played to its end.
  void finished();
  // The toggle in the top-right corner: fill the window with this pane, or give it back.
  void fullScreenRequested(bool fill);

 public slots:
  void toggleFullScreen();
  // The 500 ms position timer's tick: the seek bar follows the position.
  void OnPositionTimer();
  // The seek bar moved to `percent` of the file.
  void SeekTo(int percent);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildToolBar();
  void Relayout();
  void ApplyVolume();

  PreviewPlayer player_;
  VideoArea* video_ = nullptr;
  SeekBar* seek_ = nullptr;
  QToolBar* tools_ = nullptr;
  QAction* play_ = nullptr;
  QAction* pause_ = nullptr;
  QAction* stop_ = nullptr;
  QAction* mute_ = nullptr;
  QSlider* volume_ = nullptr;
  EffectButton* fullScreenToggle_ = nullptr;
  bool fullScreen_ = false;
  QTimer position_;
  bool muted_ = false;
  int movieWidth_ = 0;  // the catalog's picture size, for the aspect while previewing
  int movieHeight_ = 0;
};

}  // namespace zq48

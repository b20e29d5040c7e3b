#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

namespace zq48 {

struct JobState;
struct EncodeSettings;

// The encoder progress view (pane 3 of the main window): the Encode, Pause
// and Stop buttons, the full-screen toggle, the file and job progress bars
// with their elapsed and estimated times, the current file's lines and the
// free space of the destination folder. It never drives the job itself: its
// buttons ask the main window, which calls the operations below back.
class EncoderView : public QWidget {
  Q_OBJECT

 public:
  // `job` is the job state the bars and lines read (each group under its own
  // lock); `settings` gives the destination folder for the free-space line.
  EncoderView(JobState& job, const EncodeSettings& settings, QWidget* parent = nullptr);
  ~EncoderView() override;

  // Button states.
  void SetButtonsDisabled();  // Encode off, Pause off, Stop off
  void SetButtonsIdle();      // Encode on,  Pause off, Stop off
  void SetButtonsRunning();   // Encode off, Pause on,  Stop on
  void SetButtonsPaused();    // Encode on,  Pause off, Stop on

  // The 500 ms progress refresh and the 1000 ms clock.
  void StartRefresh();
  void StopRefresh();
  void StartClock();  // resets both elapsed counters only when the clock was not running
  void StopClock();   // also empties the two time lines

  void EnableFullScreenToggle(bool enable);
  bool IsFullScreen() const;
  // While the main window animates its panes the buttons are hidden.
  void SetAnimating(bool animating);

 public slots:
  void ResetFileBar();            // range 0..1000, position 0
  void ResetJobBar();             // the same, and the two current-file lines emptied
  void ShowButtons();             // the pane animation has ended
  // A file begins: fills the current-file lines from the job's snapshot and
  // starts the file's elapsed time again.
  void ShowCurrentFile(int index);
  // The file list got its first file (true) or became empty (false); only
  // acted on while no job exists.
  void ListChanged(bool hasItems, bool jobExists);

 signals:
  void encodeRequested();  // Encode pressed
  void pauseRequested();   // Pause pressed
  void stopRequested();    // Stop pressed
  // The toggle asks the main window to make this pane fill the window (true)
  // or to restore the two-by-two layout (false).
  void fullScreenRequested(bool fill);
  // The mouse moved over the view while it was not full screen.
  void emphasizeRequested();
  // The refresh tick's "%i %% - ZQ48 Encoder" for the main window's title.
  void titleChanged(const QString& title);

 private slots:
  // Timer ticks, also reachable by name through the meta-object system.
  void refreshTick();  // 500 ms: bars and title from the job's amounts
  void clockTick();    // 1000 ms: the two time lines
  void diskTick();     // 5000 ms: the free-space line
  // The full-screen toggle's command. The main window may invoke it by name
  // ("toggleFullScreen") even while the toggle is disabled, as it does when it
  // enlarges the pane for a job it starts.
  void toggleFullScreen();

 private:
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zq48

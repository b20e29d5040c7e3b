#pragma once

#include <cstdint>
#include <string>

namespace zq48 {

// What an encode job tells its front end (the main window and the progress
// view of the desktop program, the command line's own loop). Every call may
// come from any job thread: a GUI must hand it over to its own thread.
class JobHost {
 public:
  virtual ~JobHost() = default;

  // The current file's progress bar starts again (job start, each new file, stop, end).
  virtual void ResetFileBar() = 0;
  // The whole job's progress bar starts again (stop, end).
  virtual void ResetJobBar() = 0;
  // The job begins the input file with this index in the snapshot.
  virtual void CurrentFile(int index) = 0;
  // The job driver's thread has ended. The front end must then call
  // EncodeController::HandleJobFinished on its own thread (never on the job's).
  virtual void JobFinished() = 0;
  // The main window's title.
  virtual void SetTitle(const std::string& title) = 0;
  // A preview that plays must stop before a job starts.
  virtual void StopPreview() = 0;
  // The range check swapped begin and end: whatever shows them must show them again.
  virtual void RangeSwapped(std::uint32_t begin, std::uint32_t end) = 0;
};

}  // namespace zq48

#pragma once

#include <cstdint>

namespace zq48 {

enum class PreviewState { Stopped, Playing, Paused };

// Which of Play, Pause and Stop make sense now; the Preview menu, the
// list's context menu and the preview's tool bar all follow it.
struct PreviewCommands {
  bool play = false;
  bool pause = false;
  bool stop = false;
  bool operator==(const PreviewCommands&) const = default;
};

constexpr PreviewCommands EnabledCommands(PreviewState state, bool rowSelected) {
  switch (state) {
    case PreviewState::Playing:
      return {false, true, true};
    case PreviewState::Paused:
      return {true, false, true};
    case PreviewState::Stopped:
      break;
  }
  return {rowSelected, false, false};
}

// The seek bar's 0..100 for a position and a duration in 100 ns units.
constexpr int SeekBarPosition(std::int64_t position, std::int64_t duration) {
  if (duration <= 0) return 0;
  const std::int64_t p = position * 100 / duration;
  return static_cast<int>(p < 0 ? 0 : p > 100 ? 100 : p);
}

}  // namespace zq48

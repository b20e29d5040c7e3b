#pragma once

// Command ids of the main window's menu entries. Each entry carries its id
// as the action's data, so that it can be found by it.
namespace zq48::menu {

inline constexpr int kAddFiles = 32772;
inline constexpr int kDeleteFile = 32773;
inline constexpr int kDeleteAll = 32784;
inline constexpr int kOpenList = 32830;
inline constexpr int kSaveList = 32831;
inline constexpr int kResults = 32832;
inline constexpr int kExit = 32771;
inline constexpr int kPlay = 32778;
inline constexpr int kPause = 32779;
inline constexpr int kStop = 32780;
inline constexpr int kAbout = 32796;

}  // namespace zq48::menu

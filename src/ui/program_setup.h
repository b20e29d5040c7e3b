#pragma once

#include <string>

namespace zq48 {

// What the desktop program tells Qt about itself once its QApplication
// exists: where its settings live (organisation and application), its
// icon, and the desktop entry it belongs to. It sets no display name, so
// that every window's caption reads exactly as the window sets it (Qt would
// append " — " and the display name to each).
void SetUpProgram();

// Where the program keeps its list between sessions: "session list.json" in
// its data folder (~/.local/share/ZQ48/ZQ48Encoder_ver_design_555). Call it
// after SetUpProgram, which names that folder.
std::string SessionListPath();

}  // namespace zq48

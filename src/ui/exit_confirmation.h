#pragma once

namespace zq48 {

// Asks whether to leave while a job exists. "Yes" answers yes; "Back" and
// the Escape key answer no. The box has no owner, so it is centred on the
// screen, and it stays on top.
bool ConfirmExit();

}  // namespace zq48

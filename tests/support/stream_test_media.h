#pragma once

// Transport and program streams of the kinds broadcast captures and DVD rips
// are, for the general decode path's tests.

namespace zq48::testing {}  // namespace zq48::testing

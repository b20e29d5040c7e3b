#pragma once

// Movie files of the kinds cameras and phones write, for the movie-file path's tests.

namespace zq48::testing {}  // namespace zq48::testing

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
}

int main(int argc, char** argv) {
  // Tests feed FFmpeg broken files on purpose; its own complaints are noise here.
  av_log_set_level(AV_LOG_QUIET);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

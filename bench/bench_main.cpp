#include <benchmark/benchmark.h>

extern "C" {
#include <libavutil/log.h>
}

int main(int argc, char** argv) {
  av_log_set_level(AV_LOG_QUIET);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

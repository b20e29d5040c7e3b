#pragma once

#include <cstdint>
#include <string>

#include "encode/job_context.h"

namespace zq48::testing {

// A front end that ignores everything a job tells it: for tests of one stage.
class NullJobHost : public JobHost, public GraphEventSink {
 public:
  void ResetFileBar() override {}
  void ResetJobBar() override {}
  void CurrentFile(int) override {}
  void JobFinished() override {}
  void SetTitle(const std::string&) override {}
  void StopPreview() override {}
  void RangeSwapped(std::uint32_t, std::uint32_t) override {}
  void OnGraphEvent() override {}
};

}  // namespace zq48::testing

#pragma once

#include "encode/job_context.h"

namespace zq48::testing {

// A front end that ignores everything a job tells it: for tests of one stage.
class NullJobHost : public JobEvents, public GraphEventSink {
 public:
  void OnGraphEvent() override {}
};

}  // namespace zq48::testing

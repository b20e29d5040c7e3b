#pragma once

#include <vector>

#include "encode/job_context.h"
#include "encode/pipeline/decode_workers.h"
#include "encode/pipeline/file_decode.h"

namespace zq48 {

// The decode worker of the general path: its start message starts the
// file's decode for its variants, whose pictures and sound then flow on
// threads of the decode's own; it pauses, resumes and stops the decode on
// the messages that say so. When the decode has ended it queues the
// completion event for the job; a start that fails queues it too, after its
// messages, so that the job goes on with the next variants.
class GeneralDecodeWorker final : public GeneralWorker {
 public:
  GeneralDecodeWorker(JobContext& job, std::vector<VariantJob*> variants);

 private:
  MessageThread& Thread() override { return thread_; }
  void OnStart();
  void StopDecode();
  void ReportCompletion();

  JobContext& job_;
  FileDecode decode_;
  MessageThread thread_;  // last: it ends, closing the decode, before the decode goes
};

}  // namespace zq48

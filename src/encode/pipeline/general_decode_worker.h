#pragma once

#include <functional>
#include <memory>

#include "encode/job_context.h"
#include "encode/pipeline/decode_workers.h"
#include "sources/decode_graph.h"

namespace zq48 {

// What a general-path worker runs: the decode of one variant, or of a group
// of variants of one file. Every call but `completed` comes on the worker's
// thread.
class GeneralDecode {
 public:
  virtual ~GeneralDecode() = default;
  // Sets up the variants' stages and runs the decode; `completed` runs (on a
  // thread of the decode) once the decode and every stage have ended. False,
  // after the failure's messages, when the decode could not run.
  virtual bool Start(std::function<void()> completed) = 0;
  // The decode's graph once it exists, to pause, resume and stop it.
  virtual DecodeGraph* Graph() = 0;
  // After its graph has stopped: what is still under way is dropped.
  virtual void Cancel() {}
  // The worker's thread ends: the decode stops and its stages close.
  virtual void Close() = 0;
};

// The decode worker of the general path: its start message starts the
// decode, whose pictures and sound then flow on threads of the decode's own;
// it pauses, resumes and stops the decode on the messages that say so. When
// the decode has ended it queues the completion event for the job; a start
// that fails queues it too, after its messages, so that the job goes on with
// the next variant.
class GeneralDecodeWorker final : public GeneralWorker {
 public:
  GeneralDecodeWorker(JobContext& job, std::unique_ptr<GeneralDecode> decode);

 private:
  MessageThread& Thread() override { return thread_; }
  void OnStart();
  void StopDecode();
  void ReportCompletion();

  JobContext& job_;
  std::unique_ptr<GeneralDecode> decode_;
  MessageThread thread_;  // last: it ends, closing the decode, before the decode goes
};

// Sets the variant's range, cut to whole seconds, on `graph`; a variant
// without a range leaves the whole file.
void SetWholeSecondRange(DecodeGraph& graph, const OutputFilter& filter);
// Publishes the size the decode gives its pictures in the variant's state.
void PublishDecodedSize(JobState& state, const DecodeGraph& graph);

}  // namespace zq48

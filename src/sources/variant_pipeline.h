#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "sources/blocking_queue.h"
#include "sources/variant_stages.h"

namespace zq48 {

// One variant's share of a decode that feeds several: a bounded queue of
// decoded pictures and sound, and a thread that hands them to the variant's
// stages. End of stream travels through the queue as its last item; on it
// the stages encode what they still hold and close, and `ended` runs. A
// picture or sound buffer is shared, not copied, between the pipelines of
// one decode.
class VariantPipeline {
 public:
  using Buffer = std::shared_ptr<const std::vector<std::uint8_t>>;

  VariantPipeline(JobContext& job, std::function<void()> ended);
  ~VariantPipeline();
  VariantPipeline(const VariantPipeline&) = delete;
  VariantPipeline& operator=(const VariantPipeline&) = delete;

  VariantStages& stages() { return stages_; }

  void Start();
  // Wait for room; false once the pipeline was cancelled.
  bool PushPicture(double time, Buffer picture);
  bool PushSound(double time, Buffer sound);
  void PushEnd();
  // Drops what is queued and ends the thread at once (Stop); `ended` does not run.
  void Cancel();
  void Join();

 private:
  struct Item {
    enum class Kind { Picture, Sound, End } kind = Kind::End;
    double time = 0.0;
    Buffer data;
  };
  void Run();

  VariantStages stages_;
  std::function<void()> ended_;
  BlockingQueue<Item> queue_;
  std::thread thread_;
};

}  // namespace zq48

#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "core/blocking_queue.h"
#include "core/buffer_pool.h"

namespace zq48 {

// One variant's share of a decode that feeds several: a bounded queue of
// decoded pictures and sound, and a thread that hands them to the variant's
// stages. End of stream travels through the queue as its last item, with the
// end of the time line; on it the stages encode what they still hold and
// close, and `ended` runs. A picture or sound buffer is shared, not copied,
// between the pipelines of one decode.
class VariantPipeline {
 public:
  using Buffer = SharedBuffer;
  using Delivery = std::function<void(double time, const std::uint8_t* data, std::size_t bytes)>;
  // Where the items go, on the pipeline's thread.
  struct Stages {
    std::function<void(double time, Buffer picture)> picture;
    Delivery sound;
    std::function<void(double end)> finish;  // end of stream: encode what is held, close
  };

  VariantPipeline(Stages stages, std::function<void()> ended);
  ~VariantPipeline();
  VariantPipeline(const VariantPipeline&) = delete;
  VariantPipeline& operator=(const VariantPipeline&) = delete;

  void Start();
  // Wait for room; false once the pipeline was cancelled.
  bool PushPicture(double time, Buffer picture);
  bool PushSound(double time, Buffer sound);
  void PushEnd(double timelineEnd);
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

  Stages stages_;
  std::function<void()> ended_;
  BlockingQueue<Item> queue_;
  std::thread thread_;
};

}  // namespace zq48

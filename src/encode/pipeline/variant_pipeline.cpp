#include "encode/pipeline/variant_pipeline.h"

namespace zq48 {

namespace {
// Enough to keep a fast stage busy while a slow one catches up; memory is
// bounded by this many pictures a variant.
constexpr std::size_t kQueuedItems = 6;
}  // namespace

VariantPipeline::VariantPipeline(Stages stages, std::function<void()> ended)
    : stages_(std::move(stages)), ended_(std::move(ended)), queue_(kQueuedItems) {}

VariantPipeline::~VariantPipeline() {
  Cancel();
  Join();
}

void VariantPipeline::Start() { thread_ = std::thread([this] { Run(); }); }

bool VariantPipeline::PushPicture(double time, Buffer picture) {
  return queue_.Push({Item::Kind::Picture, time, std::move(picture)});
}

bool VariantPipeline::PushSound(double time, Buffer sound) {
  return queue_.Push({Item::Kind::Sound, time, std::move(sound)});
}

void VariantPipeline::PushEnd(double timelineEnd) { queue_.Push({Item::Kind::End, timelineEnd, nullptr}); }

void VariantPipeline::Cancel() { queue_.Cancel(); }

void VariantPipeline::Join() {
  if (thread_.joinable()) thread_.join();
}

void VariantPipeline::Run() {
  while (std::optional<Item> item = queue_.Pop()) {
    switch (item->kind) {
      case Item::Kind::Picture:
        if (stages_.picture) stages_.picture(item->time, std::move(item->data));
        break;
      case Item::Kind::Sound:
        if (stages_.sound) stages_.sound(item->time, item->data->data(), item->data->size());
        break;
      case Item::Kind::End:
        if (stages_.finish) stages_.finish(item->time);
        if (ended_) ended_();
        return;
    }
  }
}

}  // namespace zq48

#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace zq48 {

// A picture or sound buffer read by several pipelines (or held on for later)
// without being copied.
using SharedBuffer = std::shared_ptr<const std::vector<std::uint8_t>>;

// Picture buffers to use again: a decode hands its pictures on as shared
// buffers, and each goes back to the pool once its last reader lets go of
// it, so that no picture is copied for the pipelines that read it and no
// buffer is allocated anew for every picture. Hold the pool by shared_ptr:
// a buffer may outlive the decode that filled it.
class BufferPool : public std::enable_shared_from_this<BufferPool> {
 public:
  using Buffer = std::vector<std::uint8_t>;

  // A buffer from the pool (empty when none is waiting).
  Buffer Take() {
    std::lock_guard lock(mutex_);
    if (spare_.empty()) return {};
    Buffer b = std::move(spare_.back());
    spare_.pop_back();
    return b;
  }
  void Give(Buffer buffer) {
    std::lock_guard lock(mutex_);
    spare_.push_back(std::move(buffer));
  }
  // `buffer` as a shared, read-only buffer that comes back here at the end.
  std::shared_ptr<const Buffer> Share(Buffer buffer) {
    std::shared_ptr<BufferPool> self = shared_from_this();
    return std::shared_ptr<const Buffer>(new Buffer(std::move(buffer)), [self](const Buffer* b) {
      self->Give(std::move(*const_cast<Buffer*>(b)));
      delete b;
    });
  }

 private:
  std::mutex mutex_;
  std::vector<Buffer> spare_;
};

// A shared copy of `bytes` bytes at `data`, in a buffer from `pool`.
inline SharedBuffer SharedCopy(BufferPool& pool, const std::uint8_t* data, std::size_t bytes) {
  BufferPool::Buffer buffer = pool.Take();
  buffer.assign(data, data + bytes);
  return pool.Share(std::move(buffer));
}

}  // namespace zq48

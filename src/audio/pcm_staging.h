#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zq48 {

// The PCM waiting for the MP3 encoder: one block of 1 MiB, filled at the
// back and read from the front. The feed's callbacks usually only copy into
// it; when a chunk no longer fits the encoder takes whole frames from the
// front and the unread tail (at most one frame) moves to the start, so the
// block never has to wrap around.
class PcmStaging {
 public:
  static constexpr std::size_t kCapacity = 1 << 20;

  // Allocates the zero-filled block; throws std::bad_alloc.
  PcmStaging() : bytes_(kCapacity, 0) {}

  // Whether `count` more bytes can be staged, keeping one byte free.
  bool Fits(std::size_t count) const { return count < kCapacity - write_; }
  // Bytes that can be staged before the block is full.
  std::size_t Room() const { return kCapacity - write_; }
  // Copies `count` bytes to the back. The caller checked Fits() or Room().
  void Stage(const std::uint8_t* data, std::size_t count);

  std::size_t Unread() const { return write_ - read_; }
  const std::uint8_t* Next() const { return bytes_.data() + read_; }
  void Consume(std::size_t count) { read_ += count; }

  // Moves the unread bytes to the start of the block.
  void MoveTailToFront();

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t read_ = 0;  // invariant: read_ <= write_ <= kCapacity
  std::size_t write_ = 0;
};

}  // namespace zq48

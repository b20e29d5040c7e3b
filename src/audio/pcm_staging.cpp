#include "audio/pcm_staging.h"

#include <cstring>

namespace zq48 {

void PcmStaging::Stage(const std::uint8_t* data, std::size_t count) {
  std::memcpy(bytes_.data() + write_, data, count);
  write_ += count;
}

void PcmStaging::MoveTailToFront() {
  std::size_t tail = Unread();
  std::memmove(bytes_.data(), bytes_.data() + read_, tail);
  read_ = 0;
  write_ = tail;
}

}  // namespace zq48

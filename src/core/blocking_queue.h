#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace zq48 {

// A bounded queue between two threads of a decode. The producer calls
// Finish when it has nothing more; the consumer then drains what is left.
// Cancel (a consumer that has had enough, or a stop) drops everything and
// wakes both sides for good.
template <class T>
class BlockingQueue {
 public:
  explicit BlockingQueue(std::size_t capacity) : capacity_(capacity) {}

  // Waits for room. False when the queue was cancelled (the item is dropped).
  bool Push(T item) {
    std::unique_lock lock(mutex_);
    notFull_.wait(lock, [this] { return cancelled_ || items_.size() < capacity_; });
    if (cancelled_) return false;
    items_.push_back(std::move(item));
    notEmpty_.notify_one();
    return true;
  }

  // Waits for an item. Nothing once the queue is finished and drained, or cancelled.
  std::optional<T> Pop() {
    std::unique_lock lock(mutex_);
    notEmpty_.wait(lock, [this] { return cancelled_ || finished_ || !items_.empty(); });
    if (cancelled_ || items_.empty()) return std::nullopt;
    T item = std::move(items_.front());
    items_.pop_front();
    notFull_.notify_one();
    return item;
  }

  void Finish() {
    std::lock_guard lock(mutex_);
    finished_ = true;
    notEmpty_.notify_all();
  }

  void Cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    items_.clear();
    notEmpty_.notify_all();
    notFull_.notify_all();
  }

  bool Cancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
  }

 private:
  const std::size_t capacity_;
  mutable std::mutex mutex_;
  std::condition_variable notEmpty_;
  std::condition_variable notFull_;
  std::deque<T> items_;
  bool finished_ = false;
  bool cancelled_ = false;
};

}  // namespace zq48

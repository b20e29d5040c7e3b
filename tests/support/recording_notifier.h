#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "core/notifier.h"

namespace zq48::testing {

// Remembers every message and question so that tests can assert exact texts.
// Questions are answered with a preset reply.
class RecordingNotifier : public Notifier {
 public:
  explicit RecordingNotifier(bool answer = true) : answer_(answer) {}

  void Show(const Message& message) override {
    std::lock_guard lock(mutex_);
    messages_.push_back(message);
  }

  bool Ask(const std::string& text, const std::string& caption) override {
    std::lock_guard lock(mutex_);
    questions_.push_back({text, caption, Presentation::AppBox});
    return answer_;
  }

  std::vector<Message> messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  std::vector<Message> questions() const {
    std::lock_guard lock(mutex_);
    return questions_;
  }
  // Texts of the messages shown, in order.
  std::vector<std::string> texts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& m : messages_) out.push_back(m.text);
    return out;
  }
  void set_answer(bool answer) {
    std::lock_guard lock(mutex_);
    answer_ = answer;
  }

 private:
  mutable std::mutex mutex_;
  bool answer_;
  std::vector<Message> messages_;
  std::vector<Message> questions_;
};

}  // namespace zq48::testing

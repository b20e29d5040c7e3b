#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "core/notifier.h"

namespace zq48::cli {

// Prints every message as "caption: text" on standard error. There is nobody
// to ask, so questions are printed and answered with yes.
class StderrNotifier : public Notifier {
 public:
  void Show(const Message& message) override { Print(message.caption, message.text); }

  bool Ask(const std::string& text, const std::string& caption) override {
    Print(caption, text + " [yes]");
    return true;
  }

 private:
  void Print(const std::string& caption, const std::string& text) {
    std::lock_guard lock(mutex_);
    if (caption.empty()) {
      std::fprintf(stderr, "%s\n", text.c_str());
    } else {
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
  }

  std::mutex mutex_;
};

}  // namespace zq48::cli

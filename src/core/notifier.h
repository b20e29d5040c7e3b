#pragma once

#include <string>

namespace zq48 {

// How a message reaches the user. The desktop program shows each kind as a
// different message box; the command line prints them all the same way.
enum class Presentation {
  AppBox,     // the application's own box: application caption, OK button
  PlainBox,   // an owner-less box with the default caption
  SystemBox,  // an owner-less, system-modal box (the audio stage titles it "Error")
};

// The caption of the application's own message boxes.
inline constexpr const char* kAppCaption = "ZQ48 Encoder";
// The caption an owner-less box gets when it is given none of its own.
inline constexpr const char* kDefaultCaption = "Error";

// The caption is shown as given; an application box without one gets the
// application caption. An empty caption on the other two stays empty.
struct Message {
  std::string text;
  std::string caption;
  Presentation presentation = Presentation::AppBox;
  // Of a job's message: the index of the variant (in its file's list) it
  // concerns, or -1 when it concerns no one variant.
  int variant = -1;
};

// The engine never talks to a GUI: everything it has to tell the user goes
// through this interface. Implementations must be callable from any thread.
class Notifier {
 public:
  virtual ~Notifier() = default;

  virtual void Show(const Message& message) = 0;

  // A yes/no question; returns true for yes.
  virtual bool Ask(const std::string& text, const std::string& caption) = 0;

  // The common case: a message in the application's own box.
  void ShowApp(const std::string& text) { Show({text, kAppCaption, Presentation::AppBox}); }
};

}  // namespace zq48

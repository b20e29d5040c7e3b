#include "ui/qt_notifier.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <future>
#include <memory>

namespace zq48 {

namespace {

QString CaptionOf(const Message& message) {
  if (message.presentation == Presentation::AppBox && message.caption.empty()) return kAppCaption;
  return QString::fromStdString(message.caption);
}

void ShowBox(const Message& message) {
  const bool systemBox = message.presentation == Presentation::SystemBox;
  // The application's own box belongs to the main window; the other two have no owner.
  QWidget* owner =
      message.presentation == Presentation::AppBox ? QApplication::activeWindow() : nullptr;
  QMessageBox box(systemBox ? QMessageBox::Critical : QMessageBox::NoIcon, CaptionOf(message),
                  QString::fromStdString(message.text), QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);  // texts name files, which may hold '<' or '&'
  if (systemBox) {
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
  }
  box.exec();
}

bool AskBox(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::Question,
                  caption.empty() ? QString(kAppCaption) : QString::fromStdString(caption),
                  QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                  QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace

bool QtNotifier::OnGuiThread() const { return QThread::currentThread() == guiThread_.thread(); }

void QtNotifier::Show(const Message& message) {
  if (OnGuiThread()) {
    Enqueue(message);
    return;
  }
  QMetaObject::invokeMethod(
      &guiThread_, [this, message] { Enqueue(message); }, Qt::QueuedConnection);
}

void QtNotifier::Enqueue(const Message& message) {
  waiting_.push_back(message);
  // A box is open further up this thread's stack: it shows this one next.
  if (showing_) return;
  showing_ = true;
  while (!waiting_.empty()) {
    Message next = std::move(waiting_.front());
    waiting_.pop_front();
    ShowBox(next);
  }
  showing_ = false;
}

bool QtNotifier::Ask(const std::string& text, const std::string& caption) {
  if (OnGuiThread()) return AskBox(text, caption);
  // The queued call owns the promise: should it be dropped unasked (the GUI
  // is going away), the promise goes with it and the answer is no.
  auto answer = std::make_shared<std::promise<bool>>();
  std::future<bool> result = answer->get_future();
  QMetaObject::invokeMethod(
      &guiThread_, [answer, text, caption] { answer->set_value(AskBox(text, caption)); },
      Qt::QueuedConnection);
  try {
    return result.get();
  } catch (const std::future_error&) {
    return false;
  }
}

}  // namespace zq48

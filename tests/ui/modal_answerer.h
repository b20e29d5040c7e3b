#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace zq48::testing {

// Answers the modal dialogs that open while it lives, as a user would: it
// notes what each one said and presses the button with the given text, or
// the Escape key when the text is empty. It looks every few milliseconds,
// also from inside the dialog's own event loop.
class ModalAnswerer {
 public:
  struct Seen {
    QString title;
    QString text;  // a message box's text, else the texts of the dialog's labels
    QStringList buttons;
  };

  explicit ModalAnswerer(QString press) : press_(std::move(press)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
    timer_.start();
  }

  const QList<Seen>& seen() const { return seen_; }
  void Press(QString text) { press_ = std::move(text); }

 private:
  void Look() {
    QPointer<QWidget> modal = QApplication::activeModalWidget();
    if (!modal || modal == last_) return;
    last_ = modal;
    Seen s;
    s.title = modal->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      s.text = box->text();
    } else {
      QStringList labels;
      for (QLabel* label : modal->findChildren<QLabel*>())
        if (!label->text().isEmpty()) labels << label->text();
      s.text = labels.join('\n');
    }
    QAbstractButton* target = nullptr;
    for (QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
      if (!button->isVisible()) continue;
      s.buttons << button->text();
      if (QString(button->text()).remove('&') == press_) target = button;
    }
    seen_ << s;
    if (press_.isEmpty())
      QTest::keyClick(modal, Qt::Key_Escape);
    else if (target)
      target->click();
  }

  QString press_;
  QTimer timer_;
  QPointer<QWidget> last_;
  QList<Seen> seen_;
};

// Runs `act` once on the next modal dialog that opens while it lives, from
// inside that dialog's event loop.
class OnNextModal {
 public:
  explicit OnNextModal(std::function<void(QWidget*)> act) : act_(std::move(act)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal) return;
      timer_.stop();
      act_(modal);
    });
    timer_.start();
  }

 private:
  std::function<void(QWidget*)> act_;
  QTimer timer_;
};

}  // namespace zq48::testing

// TMsgForm: the message window that closes itself after a number of seconds, and
// ShowTimedMessage, the one way the program shows it.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "core/RunPrompts.h"

class QTimer;

namespace gui {

// Shows text ("\r" or "\n" between lines) in the message window with the caption and icon of
// kind, and returns when the window has closed (OK, Escape, or after seconds). When a handler is
// installed, calls it instead (tests).
void ShowTimedMessage(const std::string& text, core::MessageKind kind, int seconds);

using TimedMessageHandler =
    std::function<void(const std::string& text, core::MessageKind kind, int seconds)>;
// Installs the handler ShowTimedMessage calls instead of the window; an empty one removes it.
void SetTimedMessageHandler(TimedMessageHandler handler);

// The kinds of the window beyond those the runs pass: 3 "Confirm" with the question icon and 4
// with the application's title and no icon.
inline constexpr int kMsgKindConfirm = 3;
inline constexpr int kMsgKindPlain = 4;

// The window itself, laid out in dialog units of the message-box font like the platform's
// message box: an icon ("Image", not for kind 4), the word-wrapped text ("Message", at most half
// the screen wide) and one button "OK" that is both default and cancel button. Its timer is off
// until Start; the first tick closes the window.
class TMsgForm : public QDialog {
  Q_OBJECT
 public:
  // kind 0 "Warning", 1 "Error", 2 "Information", 3 "Confirm", 4 the application's title; other
  // values count as 4.
  TMsgForm(const QString& text, int kind, QWidget* parent = nullptr);

  // Sets the timer to seconds (at least one millisecond) and switches it on.
  void Start(int seconds);
  QTimer* Timer() const { return timer_; }

 private:
  QTimer* timer_;
};

}  // namespace gui

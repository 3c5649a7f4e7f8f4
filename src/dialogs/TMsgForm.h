// TMsgForm: the message window that closes itself after a number of seconds, and
// ShowTimedMessage, the one way the program shows it.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "core/RunPrompts.h"

namespace gui {

// Shows text ("\r" or "\n" between lines) in the message window with the caption and icon of
// kind, and returns when the window has closed (OK, Escape, or after seconds). When a handler is
// installed, calls it instead (tests).
void ShowTimedMessage(const std::string& text, core::MessageKind kind, int seconds);

using TimedMessageHandler =
    std::function<void(const std::string& text, core::MessageKind kind, int seconds)>;
// Installs the handler ShowTimedMessage calls instead of the window; an empty one removes it.
void SetTimedMessageHandler(TimedMessageHandler handler);

}  // namespace gui

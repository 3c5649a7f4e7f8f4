// The library's message-box seam: the library asks questions and reports errors through an
// installable handler, so it needs no GUI and tests can record and answer the messages.
#pragma once

#include <functional>
#include <string>

namespace zip {

enum class MsgKind { Information, Warning, Error, Confirmation };
enum class MsgButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MsgResult { OK, Cancel, Yes, No };

// The library's way to show a message box; the GUI installs one that uses real dialogs, tests
// install one that records and answers. Without one installed, messages go to stderr and the
// answer is Cancel / No (OK for OK-only boxes).
using MessageBoxHandler = std::function<MsgResult(const std::string& text,
                                                  const std::string& caption, MsgKind, MsgButtons)>;

// Installs the handler used by ShowMessageBox; an empty handler restores the default.
void SetMessageBoxHandler(MessageBoxHandler handler);

// Shows a message through the installed handler and returns its answer (see MessageBoxHandler
// for the default answers). Safe to call from any thread.
MsgResult ShowMessageBox(const std::string& text, const std::string& caption, MsgKind kind,
                         MsgButtons buttons);

}  // namespace zip

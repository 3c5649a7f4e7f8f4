// The installable message-box and file-dialog handlers and their defaults.
#include "zip/Prompts.h"

#include <iostream>
#include <mutex>
#include <utility>

namespace zip {

namespace {
std::mutex& HandlerMutex() {
  static std::mutex mutex;
  return mutex;
}

MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}

MsgResult DefaultHandler(const std::string& text, const std::string& caption, MsgKind,
                         MsgButtons buttons) {
  std::cerr << caption << ": " << text << '\n';
  switch (buttons) {
    case MsgButtons::OK:
      return MsgResult::OK;
    case MsgButtons::YesNo:
      return MsgResult::No;
    case MsgButtons::OKCancel:
    case MsgButtons::YesNoCancel:
      break;
  }
  return MsgResult::Cancel;
}
}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard lock(HandlerMutex());
  Handler() = std::move(handler);
}

MsgResult ShowMessageBox(const std::string& text, const std::string& caption, MsgKind kind,
                         MsgButtons buttons) {
  MessageBoxHandler handler;
  {
    // Called outside the lock so a handler may itself install another handler.
    std::lock_guard lock(HandlerMutex());
    handler = Handler();
  }
  if (!handler) return DefaultHandler(text, caption, kind, buttons);
  return handler(text, caption, kind, buttons);
}

namespace {
FileDialogHandler& DialogHandler() {
  static FileDialogHandler handler;
  return handler;
}
}  // namespace

void SetFileDialogHandler(FileDialogHandler handler) {
  std::lock_guard lock(HandlerMutex());
  DialogHandler() = std::move(handler);
}

std::optional<std::string> AskForPath(const FileDialogRequest& request) {
  FileDialogHandler handler;
  {
    std::lock_guard lock(HandlerMutex());
    handler = DialogHandler();
  }
  if (!handler) return std::nullopt;
  return handler(request);
}

}  // namespace zip

// The library's dialog seam: message boxes and file or folder choices go through installable
// handlers, so the library needs no GUI and tests can record and answer them.
#pragma once

#include <functional>
#include <optional>
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

// A file-open or folder choice: title, filter ("Name|*.ext|..."), initial folder. The answer is
// the chosen path, or nothing when the user cancels.
struct FileDialogRequest {
  // OpenFiles: one or more existing files, answered as their paths joined by "\n".
  enum class Kind { OpenFile, OpenFiles, Folder } kind = Kind::OpenFile;
  std::string title;
  std::string filter;
  std::string initialDir;
};
using FileDialogHandler = std::function<std::optional<std::string>(const FileDialogRequest&)>;

// Installs the handler used by AskForPath; an empty handler restores the default, which cancels.
void SetFileDialogHandler(FileDialogHandler handler);
std::optional<std::string> AskForPath(const FileDialogRequest& request);

}  // namespace zip

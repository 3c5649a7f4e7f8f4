// The questions and messages of the backup and restore runs, as one interface: the GUI shows them
// in dialogs and the message window, the command-line tool prints them, tests record and answer.
#pragma once

#include <string>

namespace core {

// Kinds of the timed message window; the values are the kinds the runs pass.
enum class MessageKind { Warning = 0, Error = 1, Information = 2 };

// The icon of a yes/no question.
enum class QuestionKind { Information, Warning };

class RunPrompts {
 public:
  virtual ~RunPrompts() = default;
  // A message box with Yes and No; true for Yes.
  virtual bool AskYesNo(const std::string& text, QuestionKind kind) = 0;
  // A message box with the information icon and an OK button.
  virtual void ShowInformation(const std::string& text) = 0;
  // A message box with the error icon and an OK button.
  virtual void ShowError(const std::string& text) = 0;
  // The message window that closes itself after seconds; lines are separated by "\r".
  virtual void ShowTimedMessage(const std::string& text, MessageKind kind, int seconds) = 0;
  // An error that ended a run, as the platform's default error report shows it.
  virtual void ReportError(const std::string& text) { ShowError(text); }
};

}  // namespace core

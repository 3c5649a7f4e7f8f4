// How ovaruz-cli talks to its user: the overwrite mode option, the library's message boxes
// answered on the terminal, and the runs' prompts printed as text.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "cli/Args.h"
#include "core/RunPrompts.h"
#include "zip/TZipReader.h"

namespace cli {

// The mode of --overwrite (never, always, newer, older, prompt); never when not given. Throws
// UsageError for another value.
zip::TUZOverwriteMode OverwriteModeOf(const Args& args);

// Installs, for its lifetime, a message-box handler that asks yes/no questions on the terminal
// (stderr, answer read from stdin; no answer is No) and hands other messages to onMessage.
class TerminalMessageBoxes {
 public:
  explicit TerminalMessageBoxes(std::function<void(const std::string&)> onMessage = {});
  ~TerminalMessageBoxes();
  TerminalMessageBoxes(const TerminalMessageBoxes&) = delete;
  TerminalMessageBoxes& operator=(const TerminalMessageBoxes&) = delete;
};

// The runs' prompts on a terminal: the message window's text on out (warnings and errors on
// err), lines one per row; questions asked as TerminalMessageBoxes does.
class ConsolePrompts : public core::RunPrompts {
 public:
  ConsolePrompts(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  bool AskYesNo(const std::string& text, core::QuestionKind kind) override;
  void ShowInformation(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ShowTimedMessage(const std::string& text, core::MessageKind kind, int seconds) override;
  void ReportError(const std::string& text) override;

 private:
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace cli

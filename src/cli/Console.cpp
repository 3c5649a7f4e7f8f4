// The terminal side of ovaruz-cli: overwrite modes, yes/no questions and printed messages.
#include "cli/Console.h"

#include <iostream>
#include <map>

#include "zip/Prompts.h"

namespace cli {

namespace {

// "a\rb" as "a\nb", ending with one line break.
std::string Lines(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out + '\n';
}

bool AskOnTerminal(const std::string& text) {
  std::string question = Lines(text);
  question.pop_back();  // the answer hint goes on the question's last line
  std::cerr << question << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes";
}

}  // namespace

zip::TUZOverwriteMode OverwriteModeOf(const Args& args) {
  static const std::map<std::string, zip::TUZOverwriteMode> kModes = {{"never", zip::Never},
                                                                      {"always", zip::Always},
                                                                      {"newer", zip::ifNewer},
                                                                      {"older", zip::ifOlder},
                                                                      {"prompt", zip::Prompt}};
  auto mode = args.Value("--overwrite");
  if (!mode) return zip::Never;
  auto it = kModes.find(*mode);
  if (it == kModes.end()) throw UsageError("unknown overwrite mode '" + *mode + "'");
  return it->second;
}

TerminalMessageBoxes::TerminalMessageBoxes(std::function<void(const std::string&)> onMessage) {
  zip::SetMessageBoxHandler([onMessage](const std::string& text, const std::string&,
                                        zip::MsgKind, zip::MsgButtons buttons) {
    if (buttons == zip::MsgButtons::YesNo || buttons == zip::MsgButtons::YesNoCancel)
      return AskOnTerminal(text) ? zip::MsgResult::Yes : zip::MsgResult::No;
    if (onMessage) onMessage(text);
    return zip::MsgResult::OK;
  });
}

TerminalMessageBoxes::~TerminalMessageBoxes() { zip::SetMessageBoxHandler({}); }

bool ConsolePrompts::AskYesNo(const std::string& text, core::QuestionKind) {
  return AskOnTerminal(text);
}

void ConsolePrompts::ShowInformation(const std::string& text) { out_ << Lines(text); }

void ConsolePrompts::ShowError(const std::string& text) { err_ << Lines(text); }

void ConsolePrompts::ShowTimedMessage(const std::string& text, core::MessageKind kind, int) {
  (kind == core::MessageKind::Information ? out_ : err_) << Lines(text) << std::flush;
}

void ConsolePrompts::ReportError(const std::string& text) { err_ << "ovaruz-cli: " << Lines(text); }

}  // namespace cli

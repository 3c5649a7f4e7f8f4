// The prompts seam on Qt: message boxes and file or folder dialogs of the archive library and of
// the program go through zip::ShowMessageBox and zip::AskForPath; the program installs Qt dialogs
// behind them, tests install handlers that answer. QtRunPrompts gives the runs of the core the
// same boxes plus the timed message window.
#pragma once

#include "core/RunPrompts.h"

namespace gui {

// Installs QMessageBox and QFileDialog handlers for zip::ShowMessageBox and zip::AskForPath.
void InstallQtDialogHandlers();

// The runs' prompts: questions and boxes through zip::ShowMessageBox, the timed message through
// ShowTimedMessage (TMsgForm.h).
class QtRunPrompts : public core::RunPrompts {
 public:
  bool AskYesNo(const std::string& text, core::QuestionKind kind) override;
  void ShowInformation(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ShowTimedMessage(const std::string& text, core::MessageKind kind, int seconds) override;
};

}  // namespace gui

// The prompts seam on Qt: message boxes and file or folder dialogs of the archive library and of
// the program go through zip::ShowMessageBox and zip::AskForPath; the program installs Qt dialogs
// behind them, tests install handlers that answer. QtRunPrompts gives the runs of the core the
// same boxes plus the timed message window.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "core/RunPrompts.h"
#include "zip/Prompts.h"

namespace gui {

// Installs QMessageBox and QFileDialog handlers for zip::ShowMessageBox and zip::AskForPath. An
// OpenFile request chooses one existing file (filter "Name|*.ext;*.ext2|..."), an OpenFiles
// request one or more, answered as their paths joined by '\n' (see SplitChosenFiles), a Folder
// request an existing folder.
void InstallQtDialogHandlers();

// The file-open filter "Name|*.ext|..." as a QFileDialog filter ("Name (*.ext);;...").
QString QtFileFilter(const std::string& filter);

// The paths of a file-open answer that may hold several, in the order chosen.
std::vector<std::string> SplitChosenFiles(const std::string& answer);

// A message box with one OK button and the application's title as caption, through the seam.
void ShowMessage(const std::string& text, zip::MsgKind kind);

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

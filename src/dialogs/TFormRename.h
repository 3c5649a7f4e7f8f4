// TFormRename: the small dialog that asks for a project name when a project is renamed or copied.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

namespace gui {

inline constexpr const char* kRenameCaption = "Rename Project";
inline constexpr const char* kCopyCaption = "Copy Project";

class TFormRename : public QDialog {
  Q_OBJECT
 public:
  // caption: kRenameCaption or kCopyCaption; proposed: the text the edit starts with.
  TFormRename(const QString& caption, const QString& proposed, QWidget* parent = nullptr);

  // Closes with OK when the trimmed name is not empty; otherwise "Please enter project name".
  void ButtonOkClick();
  // The entered name, trimmed.
  std::string Name() const;

 private:
  QLineEdit* editProjName_;
};

// Runs the dialog; the entered name (trimmed) after OK, nothing after Cancel or the close box.
std::optional<std::string> AskProjectName(QWidget* parent, const QString& caption,
                                          const std::string& proposed);

}  // namespace gui

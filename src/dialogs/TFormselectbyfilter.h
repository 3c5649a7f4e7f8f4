// TFormselectbyfilter: choosing a folder in a folder tree and a pattern (saved or typed) for a
// wildcard entry of a source list.
#pragma once

#include <QDialog>
#include <string>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QTreeView;

namespace gui {

class TFormselectbyfilter : public QDialog {
  Q_OBJECT
 public:
  explicit TFormselectbyfilter(QWidget* parent = nullptr);

  // Loads the saved patterns into the pattern box and selects the first, or shows "*.*" when
  // none is saved; then shows the selected folder.
  void FormCreate();
  // Shows the file-system path of the tree's selected folder (empty when none).
  void ShellTree1Change();
  // Closes with OK when a folder is selected; otherwise "Please select a folder!".
  void Button1Click();
  // Opens the wildcard editor; after its OK, FormCreate runs again.
  void SpeedButton1Click();

  // Selects a folder of the tree (tests, and the initial selection); false when it is no folder.
  bool SelectFolder(const QString& path);
  void ClearFolderSelection();

  // The folder shown as selected and the trimmed pattern: what the caller takes after OK.
  std::string SelectedFolder() const;
  std::string Pattern() const;

 private:
  QLabel* labFolder_;
  QTreeView* shellTree1_;
  QFileSystemModel* model_;
  QComboBox* comboBox1_;
};

}  // namespace gui

// TRestoreTab: the Restore tab of the main window: the archives of a folder with their sort menu,
// the entries of the selected archive, the restore options, the restore command, and opening,
// copying and deleting archive files.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ArchiveFolder.h"
#include "restore/RestoreTabHost.h"
#include "zip/TZipReader.h"

class QAction;
class QActionGroup;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QTableWidget;
class QToolButton;

namespace gui {

class TRestoreTab : public QWidget {
  Q_OBJECT
 public:
  TRestoreTab(RestoreTabHost& host, QWidget* parent = nullptr);
  ~TRestoreTab() override;

  // Entering the tab: lists the current project's save folder and sets the default restore
  // folder from the project's first backup source.
  void PageControl1Change();
  // Lists the archives of the folder field again (sorted, first one selected and listed).
  void Refresh();
  // The restore command: restores the archive of the current row after confirmation.
  void SpRestoreClick();
  // When set, the pop-up item "Restore Zip File Selected to..." calls it instead of
  // SpRestoreClick, so the main window's guards apply to both ways of starting a restore.
  std::function<void()> onRestoreRequested;

  // Shows the entries of the archive named name in the folder field's folder.
  void ListArchiveContents(const std::string& name);
  // Sorts the archive list by field in the held direction and lists the first archive.
  void SortArchiveList(int field);
  // The sort items' handler: 100, 200, 300 choose the field, 400 ascending, 500 descending.
  void PopupmenuAscClick(int tag);
  // Brings the pop-up menu up to date before it opens.
  void PopupMenuStringPopup();
  // Opens the archive of the current row with its associated program.
  void StringGridZipfilenameDblClick();
  // Copies the archive of the current row into a chosen folder.
  void MenuCopyClick();
  // Deletes the archives of the selected rows after a question, then lists the folder again.
  void menuDeleteClick();

  // Replaces how an archive is opened (tests); empty restores the desktop's default.
  using FileOpener = std::function<void(const QString& path)>;
  void SetFileOpener(FileOpener opener);

 private:
  void BuildFilesGroup(QWidget* parent);
  void BuildOptionsGroup(QWidget* parent);
  void BuildPopupMenu();
  void BrowseFolder(QLineEdit* field);

  void StringGridZipfilenameSelectCell(int row);
  std::vector<core::ArchiveFileRow> ArchiveRows() const;
  void ShowArchiveRows(const std::vector<core::ArchiveFileRow>& rows);
  void ShowEntryRows(const std::vector<core::ArchiveEntryRow>& rows);
  // The trimmed Filename cell of a row; empty when the row holds no archive.
  std::string FileNameAt(int row) const;
  int CurrentRow() const;
  // Trims the folder field, writes it back and returns it.
  std::string TrimmedFolder();
  zip::TUZOverwriteMode CheckedOverwriteMode() const;

  RestoreTabHost& host_;
  FileOpener opener_;
  // Reads archive directories for the contents grid; kept so an unchanged archive is read once.
  zip::TZipReader listReader_;
  // Extracts; kept so a password given once serves later restores with a blank password field.
  zip::TZipReader ZipReader1;
  int selectDetached_ = 0;  // while above 0, row selections do not list contents
  bool restoring_ = false;

  QLineEdit* DirectoryView = nullptr;
  QToolButton* DirectoryViewButton = nullptr;
  QTableWidget* StringGridZipfilename = nullptr;
  QLabel* LabelZipNumber = nullptr;
  QTableWidget* StringGrid1 = nullptr;
  QLabel* LabelfileNumber = nullptr;

  QLineEdit* DirectoryRestore = nullptr;
  QToolButton* DirectoryRestoreButton = nullptr;
  QLineEdit* EditRestorePassword = nullptr;
  QButtonGroup* overwriteGroup_ = nullptr;
  QCheckBox* CheckBoxUseFolder = nullptr;

  QMenu* PopupMenuString = nullptr;
  QMenu* Sort1 = nullptr;
  QAction* PupMenuByname = nullptr;
  QAction* PupmenuBysize = nullptr;
  QAction* PupMenuBydate = nullptr;
  QAction* PopupmenuAsc = nullptr;
  QAction* PopupmenuDesc = nullptr;
  QAction* menuspe = nullptr;
  QAction* OpenZipFile1 = nullptr;
  QAction* MenuCopy = nullptr;
  QAction* menuDelete = nullptr;
  QAction* N5 = nullptr;
  QAction* menuRestore = nullptr;
};

}  // namespace gui

// The Restore tab: widgets and their handlers; the decisions live in core/ArchiveFolder and
// core/RestoreRun.
#include "restore/TRestoreTab.h"

#include <QAction>
#include <QActionGroup>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QTableWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "core/DataFolder.h"
#include "core/RestoreRun.h"
#include "dialogs/GuiText.h"
#include "dialogs/QtPrompts.h"
#include "zip/FileUtils.h"
#include "zip/Prompts.h"
#include "zip/Text.h"

namespace gui {

namespace {

constexpr int kMessageSeconds = 4;
constexpr int kRowHeight = 20;
constexpr int kGridPointSize = 9;
const QColor kHeaderColour(0, 0, 128);  // navy

// Keeps the archive grid's row selections from listing contents while it lives.
class DetachSelect {
 public:
  explicit DetachSelect(int& count) : count_(count) { ++count_; }
  ~DetachSelect() { --count_; }
  DetachSelect(const DetachSelect&) = delete;
  DetachSelect& operator=(const DetachSelect&) = delete;

 private:
  int& count_;
};

bool AskWarning(const std::string& text) {
  return zip::ShowMessageBox(text, S(QGuiApplication::applicationDisplayName()),
                             zip::MsgKind::Warning, zip::MsgButtons::YesNo) == zip::MsgResult::Yes;
}

QTableWidget* MakeGrid(const char* name, const QStringList& headers, QWidget* parent) {
  auto* grid = new QTableWidget(1, static_cast<int>(headers.size()), parent);
  grid->setObjectName(QLatin1String(name));
  grid->setHorizontalHeaderLabels(headers);
  for (int c = 0; c < grid->columnCount(); ++c)
    grid->horizontalHeaderItem(c)->setForeground(kHeaderColour);
  QFont font = grid->font();
  font.setPointSize(kGridPointSize);
  grid->setFont(font);
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
  grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setWordWrap(false);
  grid->setAlternatingRowColors(true);
  return grid;
}

// Fills a grid with rows of cell texts; no rows leave one empty row under the header.
void FillGrid(QTableWidget* grid, const std::vector<std::vector<std::string>>& rows) {
  const int columns = grid->columnCount();
  grid->clearContents();
  grid->setRowCount(rows.empty() ? 1 : static_cast<int>(rows.size()));
  for (int r = 0; r < grid->rowCount(); ++r) {
    for (int c = 0; c < columns; ++c) {
      const bool filled = !rows.empty();
      auto* item = new QTableWidgetItem(
          filled ? Q(rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]) : QString());
      grid->setItem(r, c, item);
    }
  }
}

QLabel* CountLabel(const char* name, QWidget* parent) {
  auto* label = new QLabel(Q(core::TotalFilesCaption(0)), parent);
  label->setObjectName(QLatin1String(name));
  return label;
}

QToolButton* BrowseButton(const char* name, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QLatin1String(name));
  button->setText(QStringLiteral("..."));
  button->setToolTip(QStringLiteral("Please select directory"));
  return button;
}

}  // namespace

TRestoreTab::TRestoreTab(RestoreTabHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  setObjectName(QStringLiteral("TabRestore"));
  listReader_.SortMode = zip::ByName;
  ZipReader1.SortMode = zip::ByName;

  auto* split = new QSplitter(Qt::Vertical, this);
  split->setObjectName(QStringLiteral("SplitterRestore"));
  split->setChildrenCollapsible(false);

  auto* top = new QWidget(split);
  auto* topLayout = new QHBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  BuildFilesGroup(top);
  BuildOptionsGroup(top);
  topLayout->addWidget(findChild<QGroupBox*>(QStringLiteral("GroupBoxFiles")), 1);
  topLayout->addWidget(findChild<QGroupBox*>(QStringLiteral("GroupBoxOptions")), 0);

  auto* bottom = new QWidget(split);
  auto* bottomLayout = new QVBoxLayout(bottom);
  bottomLayout->setContentsMargins(0, 0, 0, 0);
  auto* detailsRow = new QHBoxLayout;
  detailsRow->addWidget(new QLabel(QStringLiteral("Zip file details:"), bottom));
  detailsRow->addStretch(1);
  LabelfileNumber = CountLabel("LabelfileNumber", bottom);
  detailsRow->addWidget(LabelfileNumber);
  bottomLayout->addLayout(detailsRow);
  StringGrid1 = MakeGrid("StringGrid1",
                         {QStringLiteral("Filename"), QStringLiteral("Size(KB)"),
                          QStringLiteral("Path"), QStringLiteral("Date")},
                         bottom);
  StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid1->setColumnWidth(0, 200);
  StringGrid1->setColumnWidth(1, 70);
  StringGrid1->setColumnWidth(2, 260);
  bottomLayout->addWidget(StringGrid1);

  split->addWidget(top);
  split->addWidget(bottom);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split);

  BuildPopupMenu();
  SetFileOpener(nullptr);
}

TRestoreTab::~TRestoreTab() = default;

void TRestoreTab::BuildFilesGroup(QWidget* parent) {
  auto* box = new QGroupBox(QStringLiteral("Files"), parent);
  box->setObjectName(QStringLiteral("GroupBoxFiles"));
  auto* grid = new QGridLayout(box);

  grid->addWidget(new QLabel(QStringLiteral("Zip folder:"), box), 0, 0);
  DirectoryView = new QLineEdit(Q(core::HomeFolder()), box);
  DirectoryView->setObjectName(QStringLiteral("DirectoryView"));
  DirectoryView->setReadOnly(true);
  DirectoryViewButton = BrowseButton("DirectoryViewButton", box);
  auto* folderRow = new QHBoxLayout;
  folderRow->setSpacing(2);
  folderRow->addWidget(DirectoryView, 1);
  folderRow->addWidget(DirectoryViewButton);
  grid->addLayout(folderRow, 0, 1);

  auto* listRow = new QHBoxLayout;
  listRow->addWidget(new QLabel(QStringLiteral("Zip file list:"), box));
  listRow->addStretch(1);
  LabelZipNumber = CountLabel("LabelZipNumber", box);
  listRow->addWidget(LabelZipNumber);
  grid->addLayout(listRow, 1, 0, 1, 2);

  StringGridZipfilename = MakeGrid(
      "StringGridZipfilename",
      {QStringLiteral("Filename"), QStringLiteral("Size(KB)"), QStringLiteral("Date")}, box);
  // Shift+click extends the selection to a range of rows.
  StringGridZipfilename->setSelectionMode(QAbstractItemView::ContiguousSelection);
  StringGridZipfilename->setColumnWidth(0, 240);
  StringGridZipfilename->setColumnWidth(1, 70);
  StringGridZipfilename->setToolTip(
      QStringLiteral("Right-click it to open menu\nDouble-click it to open file\n"
                     "Shift+click to select multi-file"));
  StringGridZipfilename->setContextMenuPolicy(Qt::CustomContextMenu);
  grid->addWidget(StringGridZipfilename, 2, 0, 1, 2);

  connect(DirectoryViewButton, &QToolButton::clicked, this,
          [this] { BrowseFolder(DirectoryView); });
  connect(StringGridZipfilename, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int previousRow, int) {
            if (selectDetached_ == 0 && row >= 0 && row != previousRow)
              StringGridZipfilenameSelectCell(row);
          });
  connect(StringGridZipfilename, &QTableWidget::cellDoubleClicked, this,
          [this](int, int) { StringGridZipfilenameDblClick(); });
  connect(StringGridZipfilename, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) {
            PopupMenuString->popup(StringGridZipfilename->viewport()->mapToGlobal(pos));
          });
}

void TRestoreTab::BuildOptionsGroup(QWidget* parent) {
  auto* box = new QGroupBox(QStringLiteral("Options"), parent);
  box->setObjectName(QStringLiteral("GroupBoxOptions"));
  box->setMinimumWidth(260);
  auto* layout = new QVBoxLayout(box);

  layout->addWidget(new QLabel(QStringLiteral("Extract to:"), box));
  DirectoryRestore = new QLineEdit(Q(core::HomeFolder()), box);
  DirectoryRestore->setObjectName(QStringLiteral("DirectoryRestore"));
  DirectoryRestoreButton = BrowseButton("DirectoryRestoreButton", box);
  auto* folderRow = new QHBoxLayout;
  folderRow->setSpacing(2);
  folderRow->addWidget(DirectoryRestore, 1);
  folderRow->addWidget(DirectoryRestoreButton);
  layout->addLayout(folderRow);
  connect(DirectoryRestoreButton, &QToolButton::clicked, this,
          [this] { BrowseFolder(DirectoryRestore); });

  layout->addWidget(new QLabel(QStringLiteral("Input Password ( If has ):"), box));
  EditRestorePassword = new QLineEdit(box);
  EditRestorePassword->setObjectName(QStringLiteral("EditRestorePassword"));
  EditRestorePassword->setEchoMode(QLineEdit::Password);
  layout->addWidget(EditRestorePassword);

  layout->addSpacing(6);
  layout->addWidget(new QLabel(QStringLiteral("Overwrite Mode:"), box));
  overwriteGroup_ = new QButtonGroup(box);
  const struct {
    const char* name;
    zip::TUZOverwriteMode mode;
  } radios[] = {{"RadioPrompt", zip::Prompt},
                {"RadioAlways", zip::Always},
                {"RadioNever", zip::Never},
                {"RadioNewer", zip::ifNewer},
                {"RadioOlder", zip::ifOlder}};
  for (const auto& r : radios) {
    auto* radio = new QRadioButton(Q(core::OverwriteModeCaption(r.mode)), box);
    radio->setObjectName(QLatin1String(r.name));
    radio->setChecked(r.mode == zip::Never);
    overwriteGroup_->addButton(radio, r.mode);
    layout->addWidget(radio);
  }

  layout->addSpacing(6);
  CheckBoxUseFolder = new QCheckBox(QStringLiteral("Use Original Folder Name"), box);
  CheckBoxUseFolder->setObjectName(QStringLiteral("CheckBoxUseFolder"));
  CheckBoxUseFolder->setChecked(true);
  layout->addWidget(CheckBoxUseFolder);
  layout->addStretch(1);
}

void TRestoreTab::BuildPopupMenu() {
  PopupMenuString = new QMenu(this);
  PopupMenuString->setObjectName(QStringLiteral("PopupMenuString"));
  auto named = [](QAction* action, const char* name) {
    action->setObjectName(QLatin1String(name));
    return action;
  };

  Sort1 = PopupMenuString->addMenu(QStringLiteral("Files Sort"));
  Sort1->setObjectName(QStringLiteral("Sort1"));
  named(Sort1->menuAction(), "Sort1");
  auto* fieldGroup = new QActionGroup(Sort1);
  auto* orderGroup = new QActionGroup(Sort1);
  auto sortItem = [&](const char* name, const char* caption, int tag, QActionGroup* group) {
    QAction* action = named(Sort1->addAction(QLatin1String(caption)), name);
    action->setCheckable(true);
    action->setData(tag);
    group->addAction(action);
    connect(action, &QAction::triggered, this, [this, tag] { PopupmenuAscClick(tag); });
    return action;
  };
  PupMenuByname = sortItem("PupMenuByname", "By name", 100, fieldGroup);
  PupmenuBysize = sortItem("PupmenuBysize", "By size", 200, fieldGroup);
  PupMenuBydate = sortItem("PupMenuBydate", "By date", 300, fieldGroup);
  named(Sort1->addSeparator(), "N3");
  PopupmenuAsc = sortItem("PopupmenuAsc", "Ascending", 400, orderGroup);
  PopupmenuDesc = sortItem("PopupmenuDesc", "Descending", 500, orderGroup);
  PupMenuByname->setChecked(true);
  PopupmenuAsc->setChecked(true);

  menuspe = named(PopupMenuString->addSeparator(), "menuspe");
  OpenZipFile1 =
      named(PopupMenuString->addAction(QStringLiteral("Open Zip File...")), "OpenZipFile1");
  MenuCopy =
      named(PopupMenuString->addAction(QStringLiteral("Copy the Zip File to...")), "MenuCopy");
  menuDelete = named(PopupMenuString->addAction(QStringLiteral("Delete Zip Files Selected...")),
                     "menuDelete");
  N5 = named(PopupMenuString->addSeparator(), "N5");
  menuRestore = named(PopupMenuString->addAction(QStringLiteral("Restore Zip File Selected to...")),
                      "menuRestore");

  connect(OpenZipFile1, &QAction::triggered, this, [this] { StringGridZipfilenameDblClick(); });
  connect(MenuCopy, &QAction::triggered, this, [this] { MenuCopyClick(); });
  connect(menuDelete, &QAction::triggered, this, [this] { menuDeleteClick(); });
  connect(menuRestore, &QAction::triggered, this, [this] {
    if (onRestoreRequested)
      onRestoreRequested();
    else
      SpRestoreClick();
  });
  connect(PopupMenuString, &QMenu::aboutToShow, this, [this] { PopupMenuStringPopup(); });
  PopupMenuStringPopup();
}

void TRestoreTab::SetFileOpener(FileOpener opener) {
  if (opener) {
    opener_ = std::move(opener);
  } else {
    opener_ = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
  }
}

void TRestoreTab::BrowseFolder(QLineEdit* field) {
  zip::FileDialogRequest request;
  request.kind = zip::FileDialogRequest::Kind::Folder;
  request.title = "Please select directory";
  request.initialDir = zip::Trim(S(field->text()));
  const std::optional<std::string> chosen = zip::AskForPath(request);
  if (!chosen || chosen->empty()) return;
  const bool changed = Q(*chosen) != field->text();
  field->setText(Q(*chosen));
  if (field == DirectoryView && changed) Refresh();
}

void TRestoreTab::PageControl1Change() {
  DirectoryView->setText(Q(host_.BackupTab().currentSavePath));
  Refresh();
  const core::BackupTabModel& tab = host_.BackupTab();
  if (auto folder = core::DefaultRestoreFolder(tab.listboxBackup, tab.checkBoxpath))
    DirectoryRestore->setText(Q(*folder));
}

void TRestoreTab::Refresh() {
  DetachSelect detach(selectDetached_);
  const std::vector<core::ArchiveFileRow> rows = core::FindArchives(S(DirectoryView->text()));
  ShowArchiveRows(rows);
  if (rows.empty()) {
    ShowEntryRows({});
  } else {
    SortArchiveList(host_.Settings().byField);
  }
  LabelZipNumber->setText(Q(core::TotalFilesCaption(static_cast<int>(rows.size()))));
}

void TRestoreTab::SortArchiveList(int field) {
  std::vector<core::ArchiveFileRow> rows = ArchiveRows();
  if (rows.empty() || rows.front().name.empty()) return;
  DetachSelect detach(selectDetached_);
  core::SortArchiveRows(rows, field, host_.Settings().sortDescending);
  ShowArchiveRows(rows);
  StringGridZipfilename->setCurrentCell(0, 0);
  ListArchiveContents(FileNameAt(0));
}

void TRestoreTab::PopupmenuAscClick(int tag) {
  core::GlobalSettings& settings = host_.Settings();
  switch (tag) {
    case 100:
    case 200:
    case 300:
      settings.byField = tag / 100 - 1;
      break;
    case 400:
      settings.sortDescending = false;
      break;
    case 500:
      settings.sortDescending = true;
      break;
    default:
      return;
  }
  PopupMenuStringPopup();
  SortArchiveList(settings.byField);
}

void TRestoreTab::PopupMenuStringPopup() {
  const core::GlobalSettings& settings = host_.Settings();
  QAction* fields[] = {PupMenuByname, PupmenuBysize, PupMenuBydate};
  if (settings.byField >= 0 && settings.byField <= 2) fields[settings.byField]->setChecked(true);
  (settings.sortDescending ? PopupmenuDesc : PopupmenuAsc)->setChecked(true);

  const bool haveArchives = !FileNameAt(0).empty();
  for (QAction* action : {menuspe, OpenZipFile1, MenuCopy, menuDelete, menuRestore})
    action->setVisible(haveArchives);
  Sort1->menuAction()->setVisible(true);
  N5->setVisible(true);
}

void TRestoreTab::StringGridZipfilenameSelectCell(int row) {
  ListArchiveContents(FileNameAt(row));
}

void TRestoreTab::ListArchiveContents(const std::string& name) {
  const std::string fileName = zip::Trim(name);
  if (fileName.empty()) return;
  const std::string path = core::RestoreArchivePath(TrimmedFolder(), fileName);
  std::vector<core::ArchiveEntryRow> rows;
  try {
    rows = core::ListArchiveEntries(listReader_, path);
  } catch (const std::exception& e) {
    // The grid keeps what it showed.
    ShowMessage(e.what(), zip::MsgKind::Error);
    return;
  }
  ShowEntryRows(rows);
}

void TRestoreTab::SpRestoreClick() {
  if (restoring_) return;
  // A blank name makes the run answer "No Zip file to restore!".
  const std::string fileName = FileNameAt(CurrentRow());
  const std::string archivePath =
      fileName.empty() ? std::string() : core::RestoreArchivePath(TrimmedFolder(), fileName);

  core::RestoreOptions options;
  options.extractTo = S(DirectoryRestore->text());
  options.password = S(EditRestorePassword->text());
  options.useOriginalFolder = CheckBoxUseFolder->isChecked();
  options.overwriteMode = CheckedOverwriteMode();

  const QScopedValueRollback<bool> running(restoring_, true);
  const core::RunHooks hooks = host_.RunHooks();
  const core::RestoreResult result =
      core::RunRestore(host_.Folder(), host_.Settings().logCount, host_.ProjectBoxText(),
                       archivePath, options, true, ZipReader1, host_.Prompts(), hooks);
  if (result.outcome != core::RestoreOutcome::NotStarted) host_.RestoreLogged();
}

void TRestoreTab::StringGridZipfilenameDblClick() {
  const std::string fileName = FileNameAt(CurrentRow());
  if (fileName.empty()) return;
  opener_(Q(core::RestoreArchivePath(zip::Trim(S(DirectoryView->text())), fileName)));
}

void TRestoreTab::MenuCopyClick() {
  const std::string fileName = FileNameAt(CurrentRow());
  if (fileName.empty()) return;
  zip::FileDialogRequest request;
  request.kind = zip::FileDialogRequest::Kind::Folder;
  request.title = "Copy '" + fileName + "' to destination folder";
  const std::optional<std::string> chosen = zip::AskForPath(request);
  if (!chosen || chosen->empty()) return;

  const std::string source =
      core::RestoreArchivePath(zip::Trim(S(DirectoryView->text())), fileName);
  const std::string target = core::RestoreArchivePath(*chosen, fileName);
  if (zip::FileExists(target) || zip::DirectoryExists(target)) {
    if (!AskWarning("File already exists! Do you want to overwrite?")) return;
  }
  if (core::CopyArchiveFile(source, target)) {
    host_.Prompts().ShowTimedMessage("Copy file '" + target + " 'Succeeds!",
                                     core::MessageKind::Information, kMessageSeconds);
  }
}

void TRestoreTab::menuDeleteClick() {
  if (restoring_) return;
  int top = -1;
  int bottom = -1;
  for (const QTableWidgetSelectionRange& range : StringGridZipfilename->selectedRanges()) {
    top = top < 0 ? range.topRow() : std::min(top, range.topRow());
    bottom = std::max(bottom, range.bottomRow());
  }
  if (top < 0) top = bottom = CurrentRow();
  // The single empty row of an empty folder names nothing to delete.
  if (FileNameAt(top).empty() && top == bottom) return;

  const std::string folder = TrimmedFolder();
  if (AskWarning("Do you want to delete the " + std::to_string(bottom - top + 1) + " files ")) {
    for (int row = top; row <= bottom; ++row) {
      const std::string fileName = FileNameAt(row);
      if (!fileName.empty()) zip::DeleteFile(core::RestoreArchivePath(folder, fileName));
    }
  }
  Refresh();
}

std::vector<core::ArchiveFileRow> TRestoreTab::ArchiveRows() const {
  std::vector<core::ArchiveFileRow> rows;
  auto cell = [this](int r, int c) {
    const QTableWidgetItem* item = StringGridZipfilename->item(r, c);
    return item ? S(item->text()) : std::string();
  };
  for (int r = 0; r < StringGridZipfilename->rowCount(); ++r)
    rows.push_back({cell(r, 0), cell(r, 1), cell(r, 2)});
  return rows;
}

void TRestoreTab::ShowArchiveRows(const std::vector<core::ArchiveFileRow>& rows) {
  std::vector<std::vector<std::string>> cells;
  for (const auto& r : rows) cells.push_back({r.name, r.sizeKb, r.date});
  DetachSelect detach(selectDetached_);
  FillGrid(StringGridZipfilename, cells);
}

void TRestoreTab::ShowEntryRows(const std::vector<core::ArchiveEntryRow>& rows) {
  std::vector<std::vector<std::string>> cells;
  for (const auto& r : rows) cells.push_back({r.name, r.sizeKb, r.path, r.date});
  FillGrid(StringGrid1, cells);
  LabelfileNumber->setText(Q(core::TotalFilesCaption(static_cast<int>(rows.size()))));
}

std::string TRestoreTab::FileNameAt(int row) const {
  const QTableWidgetItem* item = row >= 0 ? StringGridZipfilename->item(row, 0) : nullptr;
  return item ? zip::Trim(S(item->text())) : std::string();
}

int TRestoreTab::CurrentRow() const {
  const int row = StringGridZipfilename->currentRow();
  return row >= 0 ? row : 0;
}

std::string TRestoreTab::TrimmedFolder() {
  const std::string folder = zip::Trim(S(DirectoryView->text()));
  DirectoryView->setText(Q(folder));
  return folder;
}

zip::TUZOverwriteMode TRestoreTab::CheckedOverwriteMode() const {
  const int id = overwriteGroup_->checkedId();
  return id < 0 ? zip::Never : static_cast<zip::TUZOverwriteMode>(id);
}

}  // namespace gui

// Source-list commands on list widgets.
#include "dialogs/SourceListCommands.h"

#include <QApplication>
#include <QListWidget>
#include <QStyle>

#include "core/SourceList.h"
#include "dialogs/GuiText.h"
#include "dialogs/QtPrompts.h"
#include "dialogs/TFormselectbyfilter.h"
#include "zip/Prompts.h"
#include "zip/Text.h"

namespace gui {

namespace {

void SwapWith(QListWidget* list, int offset) {
  const int row = SelectedRow(list);
  const int other = row + offset;
  if (row < 0 || other < 0 || other >= list->count()) return;
  QListWidgetItem* item = list->takeItem(row);
  list->insertItem(other, item);
  list->setCurrentRow(other);
}

}  // namespace

std::optional<std::string> SelectFilesByWildcard(QWidget* parent) {
  TFormselectbyfilter form(parent);
  if (form.exec() != QDialog::Accepted) return std::nullopt;
  return core::WildcardEntry(form.SelectedFolder(), form.Pattern());
}

void AppendEntry(QListWidget* list, const QString& entry) {
  const QStyle::StandardPixmap symbol =
      core::IsFileEntry(S(entry)) ? QStyle::SP_FileIcon : QStyle::SP_DirIcon;
  list->addItem(new QListWidgetItem(list->style()->standardIcon(symbol), entry));
}

void SetEntries(QListWidget* list, const std::vector<std::string>& entries) {
  list->clear();
  for (const std::string& entry : entries) AppendEntry(list, Q(entry));
}

std::vector<std::string> Entries(const QListWidget* list) {
  std::vector<std::string> out;
  for (int i = 0; i < list->count(); ++i) out.push_back(S(list->item(i)->text()));
  return out;
}

int SelectedRow(const QListWidget* list) {
  const QList<QListWidgetItem*> selected = list->selectedItems();
  return selected.isEmpty() ? -1 : list->row(selected.first());
}

void AddEntryByWildcard(QListWidget* list) {
  const std::optional<std::string> entry = SelectFilesByWildcard(list->window());
  if (!entry) return;
  AppendEntry(list, Q(*entry));
  for (int i = 0; i < list->count(); ++i) {
    if (zip::SameText(S(list->item(i)->text()), *entry)) {
      list->setCurrentRow(i);
      break;
    }
  }
}

void AddEntriesByFileName(QListWidget* list) {
  zip::FileDialogRequest request;
  request.kind = zip::FileDialogRequest::Kind::OpenFiles;
  request.title = "Select files by filename";
  const std::optional<std::string> answer = zip::AskForPath(request);
  if (!answer) return;
  for (const std::string& path : SplitChosenFiles(*answer)) AppendEntry(list, Q(path));
}

void DeleteSelectedEntry(QListWidget* list) {
  if (list->count() == 0) return;
  const int row = SelectedRow(list);
  if (row < 0) {
    ShowMessage("Please select a item by clicking", zip::MsgKind::Information);
    return;
  }
  delete list->takeItem(row);
}

void DeleteAllEntries(QListWidget* list) {
  list->clear();
}

void MoveEntryUp(QListWidget* list) {
  SwapWith(list, -1);
}

void MoveEntryDown(QListWidget* list) {
  SwapWith(list, 1);
}

}  // namespace gui

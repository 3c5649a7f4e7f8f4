// The six commands of a source list (add by wildcard, add by file name, delete one, delete all,
// move up, move down), written once for any list widget, and the list's entries as text.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

class QListWidget;
class QWidget;

namespace gui {

// Runs the select-by-wildcard window; on OK, the wildcard entry of the chosen folder and the
// trimmed pattern (folder, one separator, pattern). Nothing on Cancel.
std::optional<std::string> SelectFilesByWildcard(QWidget* parent);

// Appends one entry with the symbol of its kind (a file, or a folder and pattern).
void AppendEntry(QListWidget* list, const QString& entry);
// Replaces the list's entries.
void SetEntries(QListWidget* list, const std::vector<std::string>& entries);
std::vector<std::string> Entries(const QListWidget* list);
// The row of the selected entry, or -1.
int SelectedRow(const QListWidget* list);

// Asks for a folder and a pattern (select-by-wildcard) and appends the entry, then selects the
// first entry equal to it without regard to case.
void AddEntryByWildcard(QListWidget* list);
// Asks for one or more existing files ("Select files by filename") and appends them in the
// order chosen; the selection stays.
void AddEntriesByFileName(QListWidget* list);
// Removes the selected entry; with none selected in a non-empty list, says "Please select a item
// by clicking".
void DeleteSelectedEntry(QListWidget* list);
void DeleteAllEntries(QListWidget* list);
// Swap the selected entry with its neighbour and keep it selected; nothing at either end.
void MoveEntryUp(QListWidget* list);
void MoveEntryDown(QListWidget* list);

}  // namespace gui

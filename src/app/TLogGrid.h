// TLogGrid: the Log tab's grid of activity-log entries, newest first; rows of failed and
// interrupted runs in red, navy column titles, and the "Clear all log" menu.
#pragma once

#include <QTableWidget>
#include <functional>

#include "core/ActivityLog.h"

namespace gui {

class TLogGrid : public QTableWidget {
  Q_OBJECT
 public:
  explicit TLogGrid(QWidget* parent = nullptr);
  // One row per entry of the log limit.
  void SetLogCount(int logCount);
  // Shows the log's rows from the top; the rows below are empty.
  void ShowLog(const core::ActivityLog& log);
  // Called by "Clear all log".
  std::function<void()> onClearAll;
};

}  // namespace gui

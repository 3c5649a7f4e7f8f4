// The Log tab's grid.
#include "app/TLogGrid.h"

#include <QHeaderView>
#include <QMenu>

#include "dialogs/GuiText.h"

namespace gui {

TLogGrid::TLogGrid(QWidget* parent) : QTableWidget(parent) {
  setObjectName("LogGrid");
  setColumnCount(5);
  setHorizontalHeaderLabels({"Date", "Operation", "Status", "Project", "Information"});
  QFont f = font();
  f.setPointSize(9);
  setFont(f);
  // At least the designed widths, wider where the font needs it for a full date and time.
  const int widths[5] = {130, 67, 74, 118, 330};
  for (int c = 0; c < 5; ++c) setColumnWidth(c, widths[c]);
  setColumnWidth(0, std::max(130, fontMetrics().horizontalAdvance("2026-12-31 23:59:59") + 16));
  horizontalHeader()->setStretchLastSection(true);
  horizontalHeader()->setStyleSheet("QHeaderView::section { color: rgb(0, 0, 128); }");
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(20);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::NoSelection);
  setToolTip("Right-click it to open menu");
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu menu(this);
    QAction* clear = menu.addAction("Clear all log");
    clear->setObjectName("Clearalllog1");
    if (menu.exec(viewport()->mapToGlobal(at)) == clear && onClearAll) onClearAll();
  });
}

void TLogGrid::SetLogCount(int logCount) { setRowCount(core::EffectiveLogCount(logCount)); }

void TLogGrid::ShowLog(const core::ActivityLog& log) {
  clearContents();
  const int rows = std::min<int>(rowCount(), static_cast<int>(log.rows.size()));
  for (int r = 0; r < rows; ++r) {
    const core::LogEntry& e = log.rows[static_cast<std::size_t>(r)];
    const bool red = e.status == core::kStatusFails || e.status == core::kStatusInterrupt;
    const std::string cells[5] = {e.date, e.operate, e.status, e.project, e.information};
    for (int c = 0; c < 5; ++c) {
      auto* item = new QTableWidgetItem(Q(cells[c]));
      if (red) item->setForeground(QColor(255, 0, 0));
      setItem(r, c, item);
    }
  }
}

}  // namespace gui

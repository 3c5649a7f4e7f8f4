// The Restore tab of the main window.
#include "restore/TRestoreTab.h"

namespace gui {

TRestoreTab::TRestoreTab(QWidget* parent) : QWidget(parent) { setObjectName("TabSheetRestore"); }

}  // namespace gui

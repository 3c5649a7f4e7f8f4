// The main window of the desktop program.
#include "app/TFormMain.h"

#include "restore/TRestoreTab.h"

namespace gui {

TFormMain::TFormMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName("TFormMain");
  setCentralWidget(new TRestoreTab(this));
}

}  // namespace gui

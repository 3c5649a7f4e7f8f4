// ovaruz-screenshots: starts the main window on a sample data folder and saves a picture of each
// tab and of the main dialogs, for looking at the program without clicking through it.
// Usage: ovaruz-screenshots DATA_FOLDER OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>

#include "app/TFormMain.h"
#include "dialogs/QtPrompts.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    fprintf(stderr, "usage: ovaruz-screenshots DATA_FOLDER OUTPUT_FOLDER\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(out);
  gui::InstallQtDialogHandlers();
  gui::TFormMain window{core::DataFolder(argv[1])};
  window.show();
  window.FormShow();
  auto* pages = window.findChild<QTabWidget*>("PageControl1");
  const char* names[3] = {"backup", "restore", "log"};
  for (int i = 0; i < 3; ++i) {
    pages->setCurrentIndex(i);
    for (int k = 0; k < 20; ++k) QApplication::processEvents();
    window.grab().save(out + "/" + names[i] + ".png");
  }
  QMenu* tray = window.TrayMenu();
  tray->popup(QPoint(40, 40));
  QMenu* projects = tray->findChild<QMenu*>("menuBackup");
  tray->setActiveAction(projects->menuAction());
  projects->popup(QPoint(40 + tray->width(), 80));
  for (int k = 0; k < 20; ++k) QApplication::processEvents();
  tray->grab().save(out + "/tray-menu.png");
  projects->grab().save(out + "/tray-projects.png");
  projects->hide();
  tray->hide();
  window.SpEditClick();
  pages->setCurrentIndex(0);
  QApplication::processEvents();
  window.grab().save(out + "/backup-edit.png");
  return 0;
}

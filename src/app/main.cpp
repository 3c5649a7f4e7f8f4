// ovaruz: entry point of the desktop program. One instance per user and data folder: a second
// start brings the first forward and ends before touching any file.
#include <QApplication>
#include <QIcon>

#include "app/SingleInstance.h"
#include "app/TFormMain.h"
#include "dialogs/QtPrompts.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Tessaly VIR Ovaruz");
  QApplication::setQuitOnLastWindowClosed(false);
  const core::DataFolder folder = core::DataFolder::Current();
  gui::SingleInstance instance(folder.Path());
  if (!instance.IsFirst()) return 0;
  gui::InstallQtDialogHandlers();
  gui::TFormMain window(folder);
  QObject::connect(&instance, &gui::SingleInstance::activationRequested, &window,
                   [&window] { window.OpenMainWindow1Click(); });
  if (window.StartMinimized())
    window.showMinimized();
  else
    window.show();
  return QApplication::exec();
}

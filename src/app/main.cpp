// ovaruz: entry point of the desktop program.
#include <QApplication>
#include <QIcon>

#include "app/TFormMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("ovaruz");
  QApplication::setWindowIcon(QIcon(":/icons/ovaruz.svg"));
  gui::TFormMain window;
  window.show();
  return QApplication::exec();
}

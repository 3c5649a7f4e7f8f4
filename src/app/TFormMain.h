// TFormMain: the main window of the desktop program.
#pragma once

#include <QMainWindow>

namespace gui {

class TFormMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFormMain(QWidget* parent = nullptr);
};

}  // namespace gui

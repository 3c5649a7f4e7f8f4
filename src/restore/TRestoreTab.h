// TRestoreTab: the Restore tab of the main window (archive folder view, contents view, restore
// options, restore and archive file operations).
#pragma once

#include <QWidget>

namespace gui {

class TRestoreTab : public QWidget {
  Q_OBJECT
 public:
  explicit TRestoreTab(QWidget* parent = nullptr);
};

}  // namespace gui

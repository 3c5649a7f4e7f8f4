// TFormWildcard: the editor of the saved wildcard list (one list for all projects, kept in the
// Common section of project.ini). Only OK writes the list.
#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;

namespace gui {

class TFormWildcard : public QDialog {
  Q_OBJECT
 public:
  explicit TFormWildcard(QWidget* parent = nullptr);

  // Loads the saved patterns into the list.
  void FormCreate();
  // Appends the trimmed text of the edit unless it is empty or already listed (case ignored);
  // the edit is cleared whenever the text was not empty.
  void SpNewClick();
  // Removes the selected pattern; "Please select a item by clicking" when none is selected.
  void Button4Click();
  void SpeedButton1Click();  // empties the list
  void SpeedButton3Click();  // up
  void SpeedButton2Click();  // down
  // Writes the list and closes with OK; a failed write is reported and the editor stays open.
  void btnOkClick();

 private:
  QListWidget* listBox1_;
  QLineEdit* edit1_;
};

}  // namespace gui

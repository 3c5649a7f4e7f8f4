// The project name dialog of rename and copy: an empty name is refused, the name comes back
// trimmed, Cancel gives nothing.
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "DialogTestSupport.h"
#include "dialogs/TFormRename.h"

using gui::TFormRename;
using testsupport::Child;

class RenameDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void refusesEmptyAndTrims() {
    testsupport::MessageRecorder boxes;
    TFormRename form(gui::kCopyCaption, "Copy of Docs");
    QCOMPARE(form.windowTitle(), QString("Copy Project"));
    auto* edit = Child<QLineEdit>(&form, "EditProjName");
    QCOMPARE(edit->text(), QString("Copy of Docs"));
    edit->setText("   ");
    Child<QPushButton>(&form, "ButtonOk")->click();
    QCOMPARE(boxes.Take(), std::vector<std::string>{"Please enter project name"});
    QCOMPARE(form.result(), int(QDialog::Rejected));
    edit->setText("  daily ");
    form.ButtonOkClick();
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(form.Name(), std::string("daily"));
  }

  void askReturnsNameOrNothing() {
    testsupport::WhenModal<TFormRename>([](TFormRename* form) {
      Child<QLineEdit>(form, "EditProjName")->setText(" Work ");
      Child<QPushButton>(form, "ButtonOk")->click();
    });
    QCOMPARE(gui::AskProjectName(nullptr, gui::kRenameCaption, "Docs"),
             std::optional<std::string>("Work"));
    testsupport::WhenModal<TFormRename>(
        [](TFormRename* form) { Child<QPushButton>(form, "ButtonCancel")->click(); });
    QVERIFY(!gui::AskProjectName(nullptr, gui::kRenameCaption, "Docs"));
  }
};

QTEST_MAIN(RenameDialogTest)
#include "RenameDialogTest.moc"

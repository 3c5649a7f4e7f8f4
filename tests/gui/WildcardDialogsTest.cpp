// The wildcard editor and the select-by-wildcard window, and the source-list commands that use
// them: list rules, what OK and Cancel store, the folder check, and the composed entry.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include "DialogTestSupport.h"
#include "core/GlobalSettings.h"
#include "core/IniFile.h"
#include "dialogs/Help.h"
#include "dialogs/SourceListCommands.h"
#include "dialogs/TFormWildcard.h"
#include "dialogs/TFormselectbyfilter.h"

using gui::TFormselectbyfilter;
using gui::TFormWildcard;
using testsupport::Child;
using Names = std::vector<std::string>;

namespace {

QStringList Items(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

QStringList Items(const QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
  return out;
}

}  // namespace

class WildcardDialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void editorListRules() {
    testsupport::TempDataFolder data;
    testsupport::MessageRecorder boxes;
    core::SaveWildcards(data.Folder(), {"*.txt", "*.doc"});
    TFormWildcard editor;
    auto* list = Child<QListWidget>(&editor, "ListBox1");
    auto* edit = Child<QLineEdit>(&editor, "Edit1");
    QCOMPARE(Items(list), (QStringList{"*.txt", "*.doc"}));

    edit->setText("  *.c  ");
    editor.SpNewClick();
    edit->setText("*.TXT");  // listed in other case: not added, the edit is cleared
    editor.SpNewClick();
    QCOMPARE(edit->text(), QString());
    edit->setText("   ");  // blank: nothing happens
    editor.SpNewClick();
    QCOMPARE(edit->text(), QString("   "));
    QCOMPARE(Items(list), (QStringList{"*.txt", "*.doc", "*.c"}));

    // Up and down move the selected pattern and keep it selected; nothing at either end.
    list->setCurrentRow(2);
    editor.SpeedButton3Click();
    editor.SpeedButton3Click();
    editor.SpeedButton3Click();
    QCOMPARE(Items(list), (QStringList{"*.c", "*.txt", "*.doc"}));
    QCOMPARE(list->currentRow(), 0);
    list->setCurrentRow(2);
    editor.SpeedButton2Click();
    QCOMPARE(Items(list), (QStringList{"*.c", "*.txt", "*.doc"}));

    // Delete needs a selection, also when the list is empty.
    list->clearSelection();
    editor.Button4Click();
    QCOMPARE(boxes.Take(), Names{"Please select a item by clicking"});
    list->setCurrentRow(1);
    editor.Button4Click();
    QCOMPARE(Items(list), (QStringList{"*.c", "*.doc"}));
    editor.SpeedButton1Click();
    QCOMPARE(list->count(), 0);
    editor.Button4Click();
    QCOMPARE(boxes.boxes.size(), std::size_t(1));
    QCOMPARE(boxes.boxes[0].kind, zip::MsgKind::Information);

    // None of it reached the file before OK.
    QCOMPARE(core::LoadWildcards(data.Folder()), (Names{"*.txt", "*.doc"}));

    std::vector<int> topics;
    gui::SetHelpHandler([&](int n) { topics.push_back(n); });
    Child<QPushButton>(&editor, "Button1")->click();
    gui::SetHelpHandler({});
    QCOMPARE(topics, std::vector<int>{801});
  }

  void shrinkingKeepsOldKeysThatAreNotRead() {
    testsupport::TempDataFolder data;
    core::SaveWildcards(data.Folder(), {"a", "b", "c", "d", "e"});
    TFormWildcard editor;
    auto* list = Child<QListWidget>(&editor, "ListBox1");
    list->setCurrentRow(4);
    editor.Button4Click();
    list->setCurrentRow(3);
    editor.Button4Click();
    editor.btnOkClick();
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    const core::IniDocument doc = core::IniFile(data.Folder().ProjectIni()).Load();
    QCOMPARE(doc.ReadInteger("Common", "Wildcard Total", 0), 3);
    QCOMPARE(doc.ReadString("Common", "Wildcard3"), std::string("d"));
    QCOMPARE(doc.ReadString("Common", "Wildcard4"), std::string("e"));
    QCOMPARE(core::LoadWildcards(data.Folder()), (Names{"a", "b", "c"}));
  }

  void selectWindowPatternsAndFolderCheck() {
    testsupport::TempDataFolder data;
    testsupport::MessageRecorder boxes;
    {
      TFormselectbyfilter form;
      auto* combo = Child<QComboBox>(&form, "ComboBox1");
      QCOMPARE(combo->count(), 0);
      QCOMPARE(form.Pattern(), std::string("*.*"));
    }
    core::SaveWildcards(data.Folder(), {"*.txt", "*.doc"});
    TFormselectbyfilter form;
    auto* combo = Child<QComboBox>(&form, "ComboBox1");
    auto* folder = Child<QLabel>(&form, "labFolder");
    QCOMPARE(Items(combo), (QStringList{"*.txt", "*.doc"}));
    QCOMPARE(form.Pattern(), std::string("*.txt"));

    form.ClearFolderSelection();
    QCOMPARE(folder->text(), QString());
    form.Button1Click();
    QCOMPARE(boxes.Take(), Names{"Please select a folder!"});
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(form.SelectFolder(data.Dir()));
    QCOMPARE(folder->text(), data.Dir());
    form.Button1Click();
    QVERIFY(boxes.boxes.empty());
    QCOMPARE(form.result(), int(QDialog::Accepted));
  }

  void editorOkReloadsTheSelectWindowAndCancelDoesNot() {
    testsupport::TempDataFolder data;
    core::SaveWildcards(data.Folder(), {"*.txt", "*.doc"});
    TFormselectbyfilter form;
    auto* combo = Child<QComboBox>(&form, "ComboBox1");
    combo->setCurrentIndex(1);

    testsupport::WhenModal<TFormWildcard>([](TFormWildcard* editor) {
      Child<QLineEdit>(editor, "Edit1")->setText("*.new");
      editor->SpNewClick();
      Child<QPushButton>(editor, "Button3")->click();
    });
    Child<QToolButton>(&form, "SpeedButton1")->click();
    QCOMPARE(Items(combo), (QStringList{"*.txt", "*.doc"}));
    QCOMPARE(combo->currentIndex(), 1);
    QCOMPARE(core::LoadWildcards(data.Folder()), (Names{"*.txt", "*.doc"}));

    testsupport::WhenModal<TFormWildcard>([](TFormWildcard* editor) {
      Child<QLineEdit>(editor, "Edit1")->setText("*.new");
      editor->SpNewClick();
      Child<QPushButton>(editor, "btnOk")->click();
    });
    Child<QToolButton>(&form, "SpeedButton1")->click();
    QCOMPARE(Items(combo), (QStringList{"*.txt", "*.doc", "*.new"}));
    QCOMPARE(combo->currentIndex(), 0);
  }

  void wildcardEntryFromTheSelectWindow_data() {
    QTest::addColumn<bool>("root");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("entryTail");
    QTest::newRow("typed pattern trimmed") << false << "  *.log "
                                           << "/*.log";
    QTest::newRow("default pattern") << false << ""
                                     << "/*.*";
    QTest::newRow("root folder, one separator") << true << "*.c"
                                                << "*.c";
  }
  void wildcardEntryFromTheSelectWindow() {
    QFETCH(bool, root);
    QFETCH(QString, typed);
    QFETCH(QString, entryTail);
    testsupport::TempDataFolder data;
    const QString folder = root ? QString("/") : data.Dir();
    testsupport::WhenModal<TFormselectbyfilter>([&](TFormselectbyfilter* form) {
      QVERIFY(form->SelectFolder(folder));
      if (!typed.isEmpty()) Child<QComboBox>(form, "ComboBox1")->setEditText(typed);
      Child<QPushButton>(form, "Button1")->click();
    });
    const auto entry = gui::SelectFilesByWildcard(nullptr);
    QVERIFY(entry);
    QCOMPARE(gui::Q(*entry), (root ? QString("/") : folder) + entryTail);
  }

  void sourceListCommands() {
    testsupport::TempDataFolder data;
    testsupport::MessageRecorder boxes;
    QListWidget list;
    gui::SetEntries(&list, {"/a/one.txt", "/a/*.TXT"});
    QVERIFY(list.item(0)->icon().cacheKey() != list.item(1)->icon().cacheKey());

    // An entry already listed in other case is appended and the earlier copy selected.
    testsupport::WhenModal<TFormselectbyfilter>([&](TFormselectbyfilter* form) {
      form->SelectFolder(data.Dir() + "/..");
      form->SelectFolder(data.Dir());
      Child<QComboBox>(form, "ComboBox1")->setEditText("*.txt");
      form->Button1Click();
    });
    gui::SetEntries(&list, {"/a/one.txt", gui::S(data.Dir().toUpper()) + "/*.TXT"});
    gui::AddEntryByWildcard(&list);
    QCOMPARE(list.count(), 3);
    QCOMPARE(list.item(2)->text(), data.Dir() + "/*.txt");
    QCOMPARE(gui::SelectedRow(&list), 1);

    // Cancelling either dialog changes nothing; the file dialog keeps the selection.
    zip::SetFileDialogHandler([](const zip::FileDialogRequest&) { return std::nullopt; });
    gui::AddEntriesByFileName(&list);
    zip::SetFileDialogHandler(
        [](const zip::FileDialogRequest&) { return std::optional<std::string>("/a/one.txt"); });
    gui::AddEntriesByFileName(&list);
    zip::SetFileDialogHandler({});
    QCOMPARE(gui::Entries(&list).size(), std::size_t(4));
    QCOMPARE(list.item(3)->text(), QString("/a/one.txt"));  // duplicates are allowed
    QCOMPARE(gui::SelectedRow(&list), 1);

    gui::MoveEntryDown(&list);
    QCOMPARE(gui::SelectedRow(&list), 2);
    QCOMPARE(list.item(2)->text(), data.Dir().toUpper() + "/*.TXT");
    list.clearSelection();
    gui::MoveEntryUp(&list);
    gui::DeleteSelectedEntry(&list);
    QCOMPARE(boxes.Take(), Names{"Please select a item by clicking"});
    QCOMPARE(list.count(), 4);
    gui::DeleteAllEntries(&list);
    gui::DeleteSelectedEntry(&list);  // empty: nothing, no message
    QVERIFY(boxes.boxes.empty());
  }
};

QTEST_MAIN(WildcardDialogsTest)
#include "WildcardDialogsTest.moc"

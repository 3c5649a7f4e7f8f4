// The main window as a user lives in it, offscreen on a temporary data folder: a project written
// by hand is loaded at start; edit, cancel and save; a backup with its progress, busy state,
// message, log rows and advanced number; rename, copy and delete with their data files; the
// source-list buttons; the schedule timer's ticks.
#include <QtTest>

#include "DialogTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QTimeEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <deque>
#include <filesystem>
#include <fstream>

#include "app/TBackupTab.h"
#include "app/TFormMain.h"
#include "app/TLogGrid.h"
#include "core/IniFile.h"
#include "dialogs/TMsgForm.h"
#include "zip/Prompts.h"

namespace fs = std::filesystem;
using testsupport::ReadText;
using testsupport::WriteText;

class MainWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::string root_;
  std::vector<std::string> boxes_;     // every message box text
  std::deque<bool> answers_;           // answers to yes/no boxes (empty: Yes)
  std::deque<std::string> paths_;      // answers to file and folder dialogs
  std::vector<std::string> timed_;     // every timed message
  zip::DateTime now_ = *zip::DateTime::FromParts(2026, 5, 4, 10, 0, 0);

  std::string Home() const { return root_ + "/home/"; }
  std::string Out() const { return root_ + "/out/"; }
  std::string Ini() const { return ReadText(Home() + "project.ini"); }

  // Two projects: Docs (numbered, keeps 2, sources in src/) and Photos (scheduled daily).
  void WriteProjects() {
    WriteText(root_ + "/src/a.txt", "alpha\n");
    WriteText(root_ + "/src/b.txt", "beta\n");
    fs::create_directories(Out());
    WriteText(Home() + "project.ini",
              "[Common]\nProject Count=2\nCount0=Photos\nCount1=Docs\nLast Project=docs\n\n"
              "[Docs]\nFilename prefix=docs-\nSuffix=2\nValue=6\nIncrease Value=1\nSave Path=" +
                  Out() + "\nBackup Directory Count=1\nBackup0=" + root_ +
                  "/src/*.*\nWhether password Project=0\nStore Number=2\n\n"
                  "[Photos]\nFilename prefix=photos\nSuffix=0\nSave Path=" + Out() +
                  "\nBackup Directory Count=1\nBackup0=" + root_ +
                  "/src/a.txt\nWhether password Project=0\nBackupMode=0\n"
                  "StartTime_or_Increase=09:00:00\n");
  }

  std::unique_ptr<gui::TFormMain> Start() {
    return std::make_unique<gui::TFormMain>(core::DataFolder(Home()), [this] { return now_; });
  }
  template <class T>
  static T* Find(QWidget* w, const char* name) {
    T* found = w->findChild<T*>(name);
    if (!found) qFatal("no widget %s", name);
    return found;
  }

 private slots:
  void init() {
    QVERIFY(dir_.isValid());
    root_ = dir_.path().toStdString() + "/case" + std::to_string(rand());
    boxes_.clear();
    answers_.clear();
    paths_.clear();
    timed_.clear();
    zip::SetMessageBoxHandler(
        [this](const std::string& text, const std::string&, zip::MsgKind, zip::MsgButtons b) {
          boxes_.push_back(text);
          if (b != zip::MsgButtons::YesNo && b != zip::MsgButtons::YesNoCancel)
            return zip::MsgResult::OK;
          bool yes = true;
          if (!answers_.empty()) {
            yes = answers_.front();
            answers_.pop_front();
          }
          return yes ? zip::MsgResult::Yes : zip::MsgResult::No;
        });
    zip::SetFileDialogHandler([this](const zip::FileDialogRequest&) -> std::optional<std::string> {
      if (paths_.empty()) return std::nullopt;
      std::string p = paths_.front();
      paths_.pop_front();
      return p;
    });
    gui::SetTimedMessageHandler(
        [this](const std::string& text, core::MessageKind, int) { timed_.push_back(text); });
  }
  void cleanup() {
    zip::SetMessageBoxHandler({});
    zip::SetFileDialogHandler({});
    gui::SetTimedMessageHandler({});
  }

  // Start-up loads the last project; Edit, a changed prefix and Cancel bring the stored record
  // back; a save with an empty prefix is refused and keeps edit mode; a good save writes it.
  void startEditCancelSave() {
    WriteProjects();
    auto w = Start();
    auto* box = Find<QComboBox>(w.get(), "comboProject");
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->currentText(), QString("Docs"));
    QCOMPARE(box->itemText(1), QString("Photos"));
    QVERIFY(!box->itemIcon(1).isNull());  // the schedule mark
    gui::TBackupTab* tab = w->BackupTabWidget();
    QCOMPARE(tab->EditFilename->text(), QString::fromStdString(Out() + "docs-7.zip"));
    QVERIFY(!tab->GroupSource->isEnabled());

    w->SpEditClick();
    QVERIFY(w->EditMode());
    QVERIFY(tab->GroupSource->isEnabled());
    QVERIFY(!box->isEnabled());
    QCOMPARE(tab->ListboxBackup->currentRow(), 0);
    tab->EditPrefix->setText("other-");
    QCOMPARE(tab->EditFilename->text(), QString::fromStdString(Out() + "other-7.zip"));
    w->SpCancelClick();
    QVERIFY(!w->EditMode());
    QCOMPARE(tab->EditPrefix->text(), QString("docs-"));
    QCOMPARE(tab->EditFilename->text(), QString::fromStdString(Out() + "docs-7.zip"));

    w->SpEditClick();
    tab->EditPrefix->setText("  ");
    w->SpSaveClick();
    QCOMPARE(boxes_.back(), std::string("Please enter the prefix of backup filename"));
    QVERIFY(w->EditMode());
    tab->EditPrefix->setText("docs2-");
    tab->spStore->setValue(4);
    w->SpSaveClick();
    QVERIFY(!w->EditMode());
    const core::IniDocument ini = core::IniFile(Home() + "project.ini").Load();
    QCOMPARE(ini.ReadString("Docs", "Filename prefix"), std::string("docs2-"));
    QCOMPARE(ini.ReadInteger("Docs", "Store Number", 0), 4);
  }

  // A backup from the button: the busy state while it runs, the progress bar moving and back at
  // 0, the completion message, a black log row, the number advanced; a second run over an
  // existing archive (number set back) is interrupted with a red row.
  void backupRunAndLog() {
    WriteProjects();
    WriteText(root_ + "/src/big.bin", std::string(3 << 20, 'x'));
    auto w = Start();
    auto* bar = Find<QProgressBar>(w.get(), "ProgressBar1");
    auto* start = Find<QToolButton>(w.get(), "SpStart");
    int maxProgress = 0;
    bool sawBusy = false;
    connect(bar, &QProgressBar::valueChanged, this, [&](int v) {
      maxProgress = std::max(maxProgress, v);
      if (!start->isEnabled() && w->Busy()) sawBusy = true;
    });
    QCOMPARE(w->SpStartClick(), core::BackupOutcome::Succeeded);
    QVERIFY(sawBusy);
    QCOMPARE(maxProgress, 100);
    QCOMPARE(bar->value(), 0);
    QVERIFY(start->isEnabled());
    QVERIFY(fs::exists(Out() + "docs-7.zip"));
    QCOMPARE(timed_.size(), std::size_t{1});
    QVERIFY(timed_[0].rfind("Backup Files Succeeds!\rProject Name: 'Docs'\r"
                            "File Name:    'docs-7.zip'\rFile Size:    '",
                            0) == 0);
    gui::TBackupTab* tab = w->BackupTabWidget();
    QCOMPARE(tab->rxSpinvalue->value(), 8);
    QCOMPARE(tab->EditFilename->text(), QString::fromStdString(Out() + "docs-8.zip"));
    QTableWidget* log = w->LogGrid();
    QCOMPARE(log->item(0, 2)->text(), QString("Succeeds"));
    QCOMPARE(log->item(0, 0)->foreground().color(), QColor(Qt::black));

    tab->rxSpinvalue->setValue(7);
    QCOMPARE(w->SpStartClick(), core::BackupOutcome::Interrupted);
    QCOMPARE(log->item(0, 2)->text(), QString("Interrupt"));
    QCOMPARE(log->item(0, 4)->foreground().color(), QColor(255, 0, 0));
    QCOMPARE(log->item(1, 2)->text(), QString("Succeeds"));
  }

  // Rename keeps the ring and writes the list at once; copy proposes "Copy of " and adds a
  // record; delete asks, erases record and ring, and leaves the archives.
  void renameCopyDelete() {
    WriteProjects();
    auto w = Start();
    QCOMPARE(w->SpStartClick(), core::BackupOutcome::Succeeded);
    QVERIFY(ReadText(Home() + "StoreNumber.txt").find("[Docs]") != std::string::npos);

    auto answerName = [](const QString& text) {
      QTimer::singleShot(0, [text] {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        dlg->findChild<QLineEdit*>("EditProjName")->setText(text);
        dlg->accept();
      });
    };
    answerName("photos");
    w->SpRenameClick();
    QCOMPARE(boxes_.back(), std::string("Project Name exists,Rename fail!"));
    answerName("  Archive  ");
    w->SpRenameClick();
    auto* box = Find<QComboBox>(w.get(), "comboProject");
    QCOMPARE(box->currentText(), QString("Archive"));
    std::string ini = Ini();
    QVERIFY(ini.find("[Archive]") != std::string::npos);
    QVERIFY(ini.find("[Docs]") == std::string::npos);
    QVERIFY(ini.find("Count0=Archive") != std::string::npos);
    QVERIFY(ReadText(Home() + "StoreNumber.txt").find("[Archive]") != std::string::npos);
    QCOMPARE(w->TrayMenu()->findChild<QMenu*>("menuBackup")->actions().at(0)->text(),
             QString("Archive"));

    QTimer::singleShot(0, [] {
      auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(dlg);
      QCOMPARE(dlg->findChild<QLineEdit*>("EditProjName")->text(), QString("Copy of Archive"));
      dlg->accept();
    });
    w->spCopyClick();
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->currentText(), QString("Copy of Archive"));
    QVERIFY(Ini().find("[Copy of Archive]") != std::string::npos);

    answers_ = {false};
    w->SpDeleteClick();
    QCOMPARE(box->count(), 3);
    w->SpDeleteClick();
    QCOMPARE(boxes_.back(), std::string("Do you want to delete 'Copy of Archive' project?"));
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->currentText(), QString("Archive"));
    QVERIFY(Ini().find("[Copy of Archive]") == std::string::npos);
    QVERIFY(fs::exists(Out() + "docs-7.zip"));
  }

  // The six buttons work on their own list: add by file name, by wildcard, move, delete one
  // (with the message when nothing is selected), delete all.
  void sourceListButtons() {
    WriteProjects();
    auto w = Start();
    w->SpEditClick();
    gui::TBackupTab* tab = w->BackupTabWidget();
    paths_ = {root_ + "/src/b.txt"};
    Find<QToolButton>(tab, "Button3")->click();  // exclusion list, by file name
    QCOMPARE(tab->ListBoxNobackup->count(), 1);
    QCOMPARE(tab->ListboxBackup->count(), 1);
    paths_ = {root_ + "/src/a.txt"};
    Find<QToolButton>(tab, "Button2")->click();
    QCOMPARE(tab->ListboxBackup->count(), 2);
    tab->ListboxBackup->setCurrentRow(1);
    Find<QToolButton>(tab, "SpeedButton3")->click();  // up
    QCOMPARE(tab->ListboxBackup->item(0)->text().toStdString(), root_ + "/src/a.txt");
    tab->ListBoxNobackup->setCurrentRow(-1);
    Find<QToolButton>(tab, "Button5")->click();
    QCOMPARE(boxes_.back(), std::string("Please select a item by clicking"));
    Find<QToolButton>(tab, "SpeedButton2")->click();  // delete all exclusions
    QCOMPARE(tab->ListBoxNobackup->count(), 0);
    QCOMPARE(tab->ListboxBackup->count(), 2);
    w->SpSaveClick();
    QVERIFY(Ini().find("Backup Directory Count=2") != std::string::npos);
  }

  // "Only files newer than" enables "Use last backup date"; that one, when checked, fixes both
  // pickers to the last backup's time.
  void newerFilesInputs_data() {
    QTest::addColumn<bool>("newer");
    QTest::addColumn<bool>("today");
    QTest::addColumn<bool>("todayEnabled");
    QTest::addColumn<bool>("pickersEnabled");
    QTest::newRow("off") << false << false << false << false;
    QTest::newRow("threshold") << true << false << true << true;
    QTest::newRow("last backup") << true << true << true << false;
    QTest::newRow("last backup, filter off") << false << true << false << false;
  }
  void newerFilesInputs() {
    QFETCH(bool, newer);
    QFETCH(bool, today);
    WriteProjects();
    auto w = Start();
    w->SpEditClick();
    gui::TBackupTab* tab = w->BackupTabWidget();
    tab->CheckBoxAddNewer->setChecked(newer);
    tab->CheckBoxToday->setChecked(today);
    QTEST(tab->CheckBoxToday->isEnabled(), "todayEnabled");
    QTEST(tab->DateTimePickerToday->isEnabled(), "pickersEnabled");
    QTEST(tab->DateTimePickerTime->isEnabled(), "pickersEnabled");
  }

  // A run from the tray loads the project from the file first, even when it is current; while a
  // run waits at its question, another run asked for from the tray does not start.
  void trayRunsReloadAndWait() {
    WriteProjects();
    auto w = Start();
    WriteText(Home() + "project.ini",
              [&] {
                std::string ini = Ini();
                ini.replace(ini.find("Value=6"), 7, "Value=20");
                return ini;
              }());
    w->BackupMenuItemClick("docs");
    QVERIFY(fs::exists(Out() + "docs-21.zip"));

    w->Settings().promptBeforeBackup = true;
    zip::SetMessageBoxHandler([&](const std::string& text, const std::string&, zip::MsgKind,
                                  zip::MsgButtons) {
      boxes_.push_back(text);
      if (text.find("'Docs'") != std::string::npos) w->BackupMenuItemClick("Photos");
      return zip::MsgResult::Yes;
    });
    QCOMPARE(w->SpStartClick(), core::BackupOutcome::Succeeded);
    QVERIFY(fs::exists(Out() + "docs-22.zip"));
    QVERIFY(!fs::exists(Out() + "photos.zip"));
    QCOMPARE(Find<QComboBox>(w.get(), "comboProject")->currentText(), QString("Docs"));
    QCOMPARE(w->BackupTabWidget()->EditPrefix->text(), QString("docs-"));
  }

  // The timer's tick: a project due in the past runs, strictly later only; edit mode and the
  // switch turned off skip ticks without advancing; the prompt setting survives a scheduled run.
  void scheduleTicks() {
    WriteProjects();
    auto w = Start();
    QVERIFY(w->Timer()->isActive());
    QCOMPARE(w->ScheduleTable().size(), std::size_t{1});
    QCOMPARE(w->ScheduleTable()[0].due, *zip::DateTime::FromParts(2026, 5, 4, 9, 0, 0));

    w->SpEditClick();
    w->Timer1Timer();
    QVERIFY(!fs::exists(Out() + "photos.zip"));
    w->SpCancelClick();

    answers_ = {true};  // yes, disable
    Find<QToolButton>(w.get(), "spEnable")->click();
    QCOMPARE(Find<QToolButton>(w.get(), "spEnable")->toolTip(), QString("Disabled Scheduling"));
    w->Timer1Timer();
    QVERIFY(!fs::exists(Out() + "photos.zip"));
    Find<QToolButton>(w.get(), "spEnable")->click();
    QCOMPARE(Find<QToolButton>(w.get(), "spEnable")->toolTip(), QString("Enabled Scheduling"));

    w->Settings().promptBeforeBackup = true;
    w->Timer1Timer();
    QVERIFY(fs::exists(Out() + "photos.zip"));
    QVERIFY(w->Settings().promptBeforeBackup);
    QCOMPARE(Find<QComboBox>(w.get(), "comboProject")->currentText(), QString("Photos"));
    QCOMPARE(w->ScheduleTable()[0].due, *zip::DateTime::FromParts(2026, 5, 5, 9, 0, 0));
    w->Timer1Timer();
    QCOMPARE(timed_.size(), std::size_t{1});
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"

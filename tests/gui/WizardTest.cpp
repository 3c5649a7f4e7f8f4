// The add-project wizard's window: walking forward and back with each page's refusal, the
// enabled states its handlers keep, the preview, the help topics, and Finish and Cancel.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest>

#include "DialogTestSupport.h"
#include "core/ArchiveName.h"
#include "core/IniFile.h"
#include "core/Schedule.h"
#include "dialogs/Help.h"
#include "dialogs/SourceListCommands.h"
#include "dialogs/TFormProjectName.h"

using gui::TFormProjectName;
using testsupport::Child;

namespace {

core::GlobalSettings WithProjects(std::vector<std::string> projects) {
  core::GlobalSettings s;
  s.projects = std::move(projects);
  return s;
}

}  // namespace

class WizardTest : public QObject {
  Q_OBJECT
 private slots:
  void walksForwardAndBackWithEachRefusal() {
    testsupport::TempDataFolder data;
    testsupport::MessageRecorder boxes;
    TFormProjectName w(WithProjects({"Daily", "Work"}), data.Folder());
    auto* next = Child<QPushButton>(&w, "btnNext");
    auto* back = Child<QPushButton>(&w, "btnBack");
    auto* name = Child<QLineEdit>(&w, "comboproject");
    QCOMPARE(w.windowTitle(), QString("Add project wizard - Step 1 of 6"));
    QVERIFY(!back->isEnabled());

    // Step 1: empty, then an existing name in other case with blanks.
    next->click();
    QCOMPARE(boxes.Take(), std::vector<std::string>{"Please input a new project name!"});
    QCOMPARE(boxes.boxes.size(), std::size_t(0));
    name->setText("  dAILY ");
    next->click();
    QCOMPARE(boxes.Take(),
             std::vector<std::string>{"Project 'dAILY' exists,please input another name!"});
    QCOMPARE(w.Step(), 1);
    name->setText("Docs");
    next->click();
    QCOMPARE(w.Step(), 2);
    QVERIFY(back->isEnabled());
    QCOMPARE(w.windowTitle(), QString("Add project wizard - Step 2 of 6"));

    // Step 2: an empty source list is refused; files chosen at once are appended in order.
    next->click();
    QCOMPARE(boxes.Take(), std::vector<std::string>{"Please select files to backup"});
    QCOMPARE(w.Step(), 2);
    zip::SetFileDialogHandler([](const zip::FileDialogRequest& r) -> std::optional<std::string> {
      if (r.title != "Select files by filename" ||
          r.kind != zip::FileDialogRequest::Kind::OpenFiles)
        return std::nullopt;
      return std::string("/data/b.txt\n/data/a.txt\n/data/c.txt");
    });
    Child<QToolButton>(&w, "SpeedButton2")->click();
    auto* sources = Child<QListWidget>(&w, "ListboxBackup");
    QCOMPARE(sources->count(), 3);
    QCOMPARE(sources->item(0)->text(), QString("/data/b.txt"));
    next->click();
    QCOMPARE(w.Step(), 3);
    next->click();  // exclusions are optional
    QCOMPARE(w.Step(), 4);

    // Step 4: the name became the prefix; a blank prefix is refused.
    auto* prefix = Child<QLineEdit>(&w, "EditPrefix");
    auto* preview = Child<QLineEdit>(&w, "EditFilename");
    QCOMPARE(prefix->text(), QString("Docs"));
    QCOMPARE(preview->text(), gui::Q(core::DefaultSavePath() + "Docs1.zip"));
    prefix->setText("   ");
    next->click();
    QCOMPARE(boxes.Take(), std::vector<std::string>{"Please enter the prefix of backup filename"});
    QCOMPARE(w.Step(), 4);
    prefix->setText("docs-");
    zip::SetFileDialogHandler([&](const zip::FileDialogRequest& r) -> std::optional<std::string> {
      if (r.kind != zip::FileDialogRequest::Kind::Folder || r.title != "Please select directory")
        return std::nullopt;
      return gui::S(data.Dir());
    });
    Child<QPushButton>(&w, "SpSelectDirectory")->click();
    zip::SetFileDialogHandler({});
    QCOMPARE(preview->text(), data.Dir() + "/docs-1.zip");
    next->click();
    QCOMPARE(w.Step(), 5);

    // Step 5: passwords that differ are refused.
    Child<QCheckBox>(&w, "CheckBoxPassword")->setChecked(true);
    Child<QLineEdit>(&w, "EditPassword")->setText("secret");
    Child<QLineEdit>(&w, "EditConfirmPassword")->setText("secreT");
    next->click();
    QCOMPARE(boxes.Take(), std::vector<std::string>{"Confirm password is not matching"});
    QCOMPARE(w.Step(), 5);
    Child<QLineEdit>(&w, "EditConfirmPassword")->setText(" secret ");
    next->click();
    QCOMPARE(w.Step(), 6);
    QCOMPARE(next->text(), QString("Finish"));

    // Back turns Finish into Next; Back on step 2 disables Back.
    back->click();
    QCOMPARE(w.Step(), 5);
    QCOMPARE(next->text(), QString("Next"));
    for (int i = 0; i < 3; ++i) back->click();
    QCOMPARE(w.Step(), 2);
    QVERIFY(back->isEnabled());
    back->click();
    QCOMPARE(w.Step(), 1);
    QVERIFY(!back->isEnabled());

    // A changed name does not replace the prefix typed on step 4; the name is checked again.
    name->setText("Documents");
    for (int i = 0; i < 6; ++i) next->click();
    QVERIFY(boxes.boxes.empty());
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(w.FinishedName(), std::string("Documents"));
    const core::IniDocument doc = core::IniFile(data.Folder().ProjectIni()).Load();
    QCOMPARE(doc.ReadString("Documents", core::kKeyPrefix), std::string("docs-"));
    QCOMPARE(doc.ReadString("Documents", core::kKeySavePath), gui::S(data.Dir()) + "/");
    QCOMPARE(doc.ReadInteger("Documents", core::kKeyBackupCount, 0), 3);
    QCOMPARE(doc.ReadString("Documents", core::kKeyPassword),
             core::ScramblePassword("secret", core::PasswordKey("Documents"), true));
    QCOMPARE(doc.ReadList("Common", "Count", 0, doc.ReadInteger("Common", "Project Count", 0)),
             (std::vector<std::string>{"Daily", "Documents", "Work"}));
    QCOMPARE(doc.ReadString("Common", "Last Project"), std::string("Documents"));
  }

  void handlersKeepEnabledStates() {
    testsupport::TempDataFolder data;
    TFormProjectName w(core::GlobalSettings(), data.Folder());
    auto* addNewer = Child<QCheckBox>(&w, "CheckBoxAddNewer");
    auto* today = Child<QCheckBox>(&w, "CheckBoxToday");
    auto* date = Child<QDateEdit>(&w, "DateTimePickerToday");
    auto* time = Child<QTimeEdit>(&w, "DateTimePickerTime");
    QCOMPARE(date->date(), QDate(1980, 1, 1));
    QVERIFY(!today->isEnabled() && !date->isEnabled() && !time->isEnabled());
    addNewer->setChecked(true);
    QVERIFY(today->isEnabled() && date->isEnabled() && time->isEnabled());
    today->setChecked(true);
    QVERIFY(!date->isEnabled() && !time->isEnabled());
    addNewer->setChecked(false);
    QVERIFY(!today->isEnabled() && !date->isEnabled());

    Child<QCheckBox>(&w, "radioyes")->setChecked(false);
    QCOMPARE(Child<QLabel>(&w, "LabelYesOrNo")->text(), QString("Subdirectories are not included"));

    auto* value = Child<QSpinBox>(&w, "rxSpinvalue");
    QVERIFY(value->isEnabled());
    Child<QRadioButton>(&w, "RadioUseNone")->setChecked(true);
    QVERIFY(!value->isEnabled() && !Child<QSpinBox>(&w, "RxSpinIncrease")->isEnabled());

    auto* password = Child<QLineEdit>(&w, "EditPassword");
    QVERIFY(!password->isEnabled());
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    Child<QCheckBox>(&w, "CheckBoxPassword")->setChecked(true);
    QVERIFY(password->isEnabled() && Child<QLineEdit>(&w, "EditConfirmPassword")->isEnabled());
    QVERIFY(!Child<QLineEdit>(&w, "Editcomment")->isEnabled());
    Child<QCheckBox>(&w, "CheckBoxcomment")->setChecked(true);
    QVERIFY(Child<QLineEdit>(&w, "Editcomment")->isEnabled());

    auto* weekly = Child<QComboBox>(&w, "cbWeekly");
    auto* minutes = Child<QSpinBox>(&w, "SpinEditNumber");
    QCOMPARE(weekly->currentIndex(), -1);
    QCOMPARE(minutes->value(), 20);
    QVERIFY(!weekly->isEnabled() && !minutes->isEnabled());
    Child<QRadioButton>(&w, "radioWeekly")->setChecked(true);
    QVERIFY(weekly->isEnabled());
    QCOMPARE(weekly->currentText(), QString("Sunday"));
    Child<QRadioButton>(&w, "radioDaily")->setChecked(true);
    QVERIFY(!weekly->isEnabled() && minutes->isEnabled());
    Child<QRadioButton>(&w, "radioOnce")->setChecked(true);
    QVERIFY(Child<QTimeEdit>(&w, "DateTimePicker1")->isEnabled() && !minutes->isEnabled());
    QCOMPARE(w.Model().scheduleMode, core::kScheduleDailyAt);
  }

  void previewFollowsSuffixAndPadding() {
    testsupport::TempDataFolder data;
    core::GlobalSettings padded;
    padded.isAppend0 = true;
    padded.width = 3;
    TFormProjectName w(padded, data.Folder());
    auto* preview = Child<QLineEdit>(&w, "EditFilename");
    const QString home = gui::Q(core::DefaultSavePath());
    Child<QLineEdit>(&w, "EditPrefix")->setText(" p ");
    QCOMPARE(preview->text(), home + "p001.zip");
    Child<QSpinBox>(&w, "rxSpinvalue")->setValue(42);
    QCOMPARE(preview->text(), home + "p042.zip");
    Child<QRadioButton>(&w, "RadioUseDate")->setChecked(true);
    QVERIFY(QRegularExpression("^p\\d\\d-\\d\\d_\\d\\dh\\d\\dm\\d\\ds\\.zip$")
                .match(preview->text().mid(home.size()))
                .hasMatch());
    Child<QRadioButton>(&w, "RadioUseNone")->setChecked(true);
    QCOMPARE(preview->text(), home + "p.zip");
  }

  void helpFollowsTheStep() {
    testsupport::TempDataFolder data;
    testsupport::MessageRecorder boxes;
    std::vector<int> topics;
    gui::SetHelpHandler([&](int n) { topics.push_back(n); });
    TFormProjectName w(core::GlobalSettings(), data.Folder());
    auto* help = Child<QPushButton>(&w, "Button1");
    help->click();
    Child<QLineEdit>(&w, "comboproject")->setText("x");
    Child<QPushButton>(&w, "btnNext")->click();
    help->click();
    gui::SetHelpHandler({});
    QCOMPARE(topics, (std::vector<int>{301, 302}));
  }

  void runReturnsTheNameOnlyAfterFinish() {
    testsupport::TempDataFolder data;
    testsupport::MessageRecorder boxes;
    testsupport::WhenModal<TFormProjectName>(
        [](TFormProjectName* w) { Child<QPushButton>(w, "btnClose")->click(); });
    QVERIFY(!gui::RunProjectWizard(nullptr, data.Folder(), core::GlobalSettings()));
    QVERIFY(!QFile::exists(gui::Q(data.Folder().ProjectIni())));

    testsupport::WhenModal<TFormProjectName>([](TFormProjectName* w) {
      Child<QLineEdit>(w, "comboproject")->setText("New");
      gui::AppendEntry(Child<QListWidget>(w, "ListboxBackup"), "/data/*.txt");
      for (int i = 0; i < 6; ++i) Child<QPushButton>(w, "btnNext")->click();
    });
    QCOMPARE(gui::RunProjectWizard(nullptr, data.Folder(), core::GlobalSettings()),
             std::optional<std::string>("New"));
    QVERIFY(boxes.boxes.empty());
    QCOMPARE(core::LoadGlobalSettings(data.Folder()).currentProject, std::string("New"));
  }
};

QTEST_MAIN(WizardTest)
#include "WizardTest.moc"

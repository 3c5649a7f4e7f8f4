// Preferences: filled from the held settings, the file and the autostart entry; Apply stores
// everything at once and writes or removes the entry; Close changes nothing.
#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>
#include <cstdlib>

#include "DialogTestSupport.h"
#include "core/AutoStart.h"
#include "core/IniFile.h"
#include "dialogs/Help.h"
#include "dialogs/TFormPreferences.h"

using gui::TFormPreferences;
using testsupport::Child;

namespace {

const std::string kExe = "/opt/ovaruz/bin/ovaruz";

core::GlobalSettings Held() {
  core::GlobalSettings s;
  s.projects = {"Docs"};
  s.promptBeforeBackup = true;
  s.isAppend0 = true;
  s.width = 4;
  s.isOverWrite = true;
  s.logCount = 70;
  return s;
}

}  // namespace

class PreferencesTest : public QObject {
  Q_OBJECT
 private:
  QTemporaryDir config_;

 private slots:
  void init() {
    QVERIFY(config_.isValid());
    qputenv("XDG_CONFIG_HOME", config_.path().toUtf8());
    core::DisableAutoStart();
  }

  void fillsFromHeldValuesFileAndEntry() {
    testsupport::TempDataFolder data;
    core::IniFile(data.Folder().ProjectIni()).WriteBool("Common", "Is Minimized", true);
    core::IniFile(data.Folder().ProjectIni()).WriteBool("Common", "Is Append 0", false);
    TFormPreferences form(Held(), data.Folder(), kExe);
    QCOMPARE(form.windowTitle(), QString("Preferences"));
    QCOMPARE(Child<QTabWidget>(&form, "PageControl1")->currentIndex(), 0);
    auto* run = Child<QCheckBox>(&form, "cbRun");
    auto* mini = Child<QCheckBox>(&form, "cbMini");
    QCOMPARE(run->text(), QString("Run  VIR Ovaruz when windows starts"));
    QVERIFY(!run->isChecked());
    QVERIFY(mini->isChecked());
    QVERIFY(!mini->isEnabled());
    run->setChecked(true);
    QVERIFY(mini->isEnabled());
    // The held values win over the file for the other five.
    QVERIFY(Child<QCheckBox>(&form, "cbWidth")->isChecked());
    QCOMPARE(Child<QSpinBox>(&form, "SpinEdit1")->value(), 4);
    QVERIFY(Child<QCheckBox>(&form, "cbprompt")->isChecked());
    QVERIFY(Child<QRadioButton>(&form, "rbOverwrite")->isChecked());
    QCOMPARE(Child<QSpinBox>(&form, "LogSpinEdit")->value(), 70);
    QVERIFY(Child<QPushButton>(&form, "btnClose")->isDefault());

    // An entry that starts this executable shows as checked; one for another program does not.
    core::EnableAutoStart(kExe);
    TFormPreferences same(Held(), data.Folder(), kExe);
    QVERIFY(Child<QCheckBox>(&same, "cbRun")->isChecked());
    TFormPreferences other(Held(), data.Folder(), "/other/ovaruz");
    QVERIFY(!Child<QCheckBox>(&other, "cbRun")->isChecked());
  }

  void applyStoresAllAndWritesOrRemovesTheEntry() {
    testsupport::TempDataFolder data;
    testsupport::MessageRecorder boxes;
    {
      TFormPreferences form(core::GlobalSettings(), data.Folder(), kExe);
      Child<QCheckBox>(&form, "cbRun")->setChecked(true);
      Child<QCheckBox>(&form, "cbMini")->setChecked(true);
      Child<QCheckBox>(&form, "cbWidth")->setChecked(true);
      Child<QSpinBox>(&form, "SpinEdit1")->setValue(5);
      Child<QCheckBox>(&form, "cbprompt")->setChecked(true);
      Child<QRadioButton>(&form, "rbOverwrite")->setChecked(true);
      Child<QSpinBox>(&form, "LogSpinEdit")->setValue(20);
      Child<QPushButton>(&form, "btnApply")->click();
      QCOMPARE(form.result(), int(QDialog::Accepted));
      QVERIFY(core::IsAutoStartEnabled(kExe));
      QCOMPARE(form.Result().logCount, 20);
    }
    const core::IniDocument doc = core::IniFile(data.Folder().ProjectIni()).Load();
    for (const char* key :
         {"Auto Run", "Is Minimized", "Is Append 0", "IsOverWrite", "PromptBeforeBackup"})
      QVERIFY2(doc.ReadBool("Common", key, false), key);
    QCOMPARE(doc.ReadInteger("Common", "Width", 0), 5);
    QCOMPARE(doc.ReadInteger("Common", "Log Count", 0), 20);

    // Unchecking removes the entry and keeps the check mark of "Run Minimized".
    TFormPreferences form(core::LoadGlobalSettings(data.Folder()), data.Folder(), kExe);
    QVERIFY(Child<QCheckBox>(&form, "cbRun")->isChecked());
    Child<QCheckBox>(&form, "cbRun")->setChecked(false);
    form.btnApplyClick();
    QVERIFY(!QFile::exists(gui::Q(core::AutoStartFile())));
    const core::GlobalSettings stored = core::LoadGlobalSettings(data.Folder());
    QVERIFY(!stored.autoRun);
    QVERIFY(stored.isMinimized);
    QVERIFY(!stored.StartMinimized());
    QVERIFY(boxes.boxes.empty());
  }

  void entryThatCannotBeWrittenKeepsTheStoredStartKeys() {
    testsupport::TempDataFolder data;
    testsupport::MessageRecorder boxes;
    QDir(config_.filePath("autostart")).removeRecursively();
    QFile blocker(config_.filePath("autostart"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TFormPreferences form(core::GlobalSettings(), data.Folder(), kExe);
    Child<QCheckBox>(&form, "cbRun")->setChecked(true);
    Child<QCheckBox>(&form, "cbMini")->setChecked(true);
    Child<QSpinBox>(&form, "LogSpinEdit")->setValue(30);
    form.btnApplyClick();
    QFile::remove(config_.filePath("autostart"));
    QCOMPARE(boxes.Take(),
             std::vector<std::string>{"Failed to set data for 'Tessaly Rududira Backup'"});
    QCOMPARE(form.result(), int(QDialog::Accepted));
    const core::GlobalSettings stored = core::LoadGlobalSettings(data.Folder());
    QVERIFY(!stored.autoRun);
    QVERIFY(!stored.isMinimized);
    QCOMPARE(stored.logCount, 30);
    QVERIFY(!form.Result().autoRun);
    QCOMPARE(form.Result().logCount, 30);
  }

  void runAppliesOrClosesWithoutChange() {
    testsupport::TempDataFolder data;
    core::GlobalSettings settings = Held();
    std::vector<int> logCounts;
    auto onLogCount = [&](int n) { logCounts.push_back(n); };

    testsupport::WhenModal<TFormPreferences>([](TFormPreferences* form) {
      Child<QSpinBox>(form, "LogSpinEdit")->setValue(20);
      Child<QCheckBox>(form, "cbprompt")->setChecked(false);
      Child<QPushButton>(form, "btnClose")->click();
    });
    QVERIFY(!gui::RunPreferences(nullptr, settings, onLogCount));
    QCOMPARE(settings.logCount, 70);
    QVERIFY(settings.promptBeforeBackup);
    QVERIFY(logCounts.empty());
    QVERIFY(!QFile::exists(gui::Q(data.Folder().ProjectIni())));

    // Opening again shows the held values, not those typed before Close.
    testsupport::WhenModal<TFormPreferences>([](TFormPreferences* form) {
      QCOMPARE(Child<QSpinBox>(form, "LogSpinEdit")->value(), 70);
      Child<QSpinBox>(form, "LogSpinEdit")->setValue(20);
      Child<QPushButton>(form, "btnApply")->click();
    });
    QVERIFY(gui::RunPreferences(nullptr, settings, onLogCount));
    QCOMPARE(settings.logCount, 20);
    QCOMPARE(settings.projects, std::vector<std::string>{"Docs"});
    QCOMPARE(logCounts, std::vector<int>{20});
  }

  void helpTopic() {
    testsupport::TempDataFolder data;
    std::vector<int> topics;
    gui::SetHelpHandler([&](int n) { topics.push_back(n); });
    TFormPreferences form(core::GlobalSettings(), data.Folder(), kExe);
    Child<QPushButton>(&form, "btnHelp")->click();
    gui::SetHelpHandler({});
    QCOMPARE(topics, std::vector<int>{601});
  }
};

QTEST_MAIN(PreferencesTest)
#include "PreferencesTest.moc"

// The Restore tab on real archives: the archive list and its sort menu, the contents grid, the
// default restore folder, restores in the overwrite modes, a wrong password, copy, delete, open.
#include <QtTest>

#include "DialogTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <deque>
#include <filesystem>
#include <fstream>

#include "core/ActivityLog.h"
#include "core/RunPrompts.h"
#include "restore/RestoreTabHost.h"
#include "restore/TRestoreTab.h"
#include "zip/Prompts.h"
#include "zip/TZipWriter.h"

namespace fs = std::filesystem;
using testsupport::ReadText;
using testsupport::WriteText;

namespace {

void SetMTime(const std::string& path, int year, int month, int day, int h, int m, int s) {
  const auto dt = zip::DateTime::FromParts(year, month, day, h, m, s);
  const auto t = std::chrono::system_clock::from_time_t(dt->ToTimeT());
  fs::last_write_time(path, fs::file_time_type::clock::from_sys(t));
}

// Breaks every header signature so that the reader can neither read nor rebuild the directory.
std::string Damaged(std::string bytes) {
  for (const char* sig : {"PK\x01\x02", "PK\x03\x04"}) {
    for (auto at = bytes.find(sig); at != std::string::npos; at = bytes.find(sig, at + 1))
      bytes[at + 2] = 'X';
  }
  return bytes;
}

class RecordingPrompts : public core::RunPrompts {
 public:
  bool AskYesNo(const std::string& text, core::QuestionKind) override {
    questions.push_back(text);
    return confirm;
  }
  void ShowInformation(const std::string& text) override { infos.push_back(text); }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ShowTimedMessage(const std::string& text, core::MessageKind kind, int seconds) override {
    timed.push_back(text);
    timedKinds.push_back(kind);
    QCOMPARE(seconds, 4);
  }

  bool confirm = true;
  std::vector<std::string> questions, infos, errors, timed;
  std::vector<core::MessageKind> timedKinds;
};

class FakeHost : public gui::RestoreTabHost {
 public:
  explicit FakeHost(const std::string& dataFolder) : folder_(dataFolder) {}
  core::DataFolder Folder() const override { return folder_; }
  core::GlobalSettings& Settings() override { return settings; }
  std::string ProjectBoxText() const override { return "Docs"; }
  const core::BackupTabModel& BackupTab() const override { return tab; }
  core::RunHooks RunHooks() override {
    core::RunHooks hooks;
    hooks.enableRunControls = [this](bool enabled) { busyStates.push_back(enabled); };
    return hooks;
  }
  core::RunPrompts& Prompts() override { return prompts; }
  void RestoreLogged() override { ++logged; }

  core::GlobalSettings settings;
  core::BackupTabModel tab;
  RecordingPrompts prompts;
  std::vector<bool> busyStates;
  int logged = 0;

 private:
  core::DataFolder folder_;
};

}  // namespace

class RestoreTabTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir temp_;
  std::string root_;      // with a trailing separator
  std::string archives_;  // alpha.zip, secret.zip, damaged.zip
  std::string sorting_;   // a.zip, b.zip, c.zip of 20, 3 and 100 KB
  std::unique_ptr<FakeHost> host_;
  std::unique_ptr<gui::TRestoreTab> tab_;
  std::deque<zip::MsgResult> answers_;
  std::deque<std::optional<std::string>> chosenFolders_;
  std::vector<std::string> boxes_;
  std::vector<std::string> dialogTitles_;

  template <class T>
  T* Find(const char* name) {
    T* w = tab_->findChild<T*>(QLatin1String(name));
    if (!w) qFatal("no widget %s", name);
    return w;
  }
  QTableWidget* Archives() { return Find<QTableWidget>("StringGridZipfilename"); }
  QTableWidget* Entries() { return Find<QTableWidget>("StringGrid1"); }
  static QStringList Column(QTableWidget* grid, int column) {
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
      out << (grid->item(r, column) ? grid->item(r, column)->text() : QString());
    return out;
  }
  static QStringList Row(QTableWidget* grid, int row) {
    QStringList out;
    for (int c = 0; c < grid->columnCount(); ++c)
      out << (grid->item(row, c) ? grid->item(row, c)->text() : QString());
    return out;
  }
  void ShowFolder(const std::string& folder) {
    host_->tab.currentSavePath = folder;
    tab_->PageControl1Change();
  }
  void SelectArchive(const QString& name) {
    const int row = Column(Archives(), 0).indexOf(name);
    QVERIFY(row >= 0);
    Archives()->setCurrentCell(row, 0);
  }
  void SetUpRestore(const std::string& dest, const char* radio) {
    Find<QLineEdit>("DirectoryRestore")->setText(QString::fromStdString(dest));
    Find<QRadioButton>(radio)->setChecked(true);
  }
  std::vector<core::LogEntry> Log() { return core::LoadLog(host_->Folder(), 50).rows; }

 private slots:
  void initTestCase() {
    QVERIFY(temp_.isValid());
    root_ = temp_.path().toStdString() + "/";
    archives_ = root_ + "archives/";
    sorting_ = root_ + "sorting/";
    const std::string src = root_ + "src/";
    WriteText(src + "a.txt", "alpha from the archive");
    WriteText(src + "sub/b.txt", std::string(3000, 'b'));
    SetMTime(src + "a.txt", 2024, 2, 3, 4, 5, 6);
    SetMTime(src + "sub/b.txt", 2024, 2, 3, 4, 5, 6);

    fs::create_directories(archives_);
    zip::TZipWriter w;
    w.SetZipName(archives_ + "alpha.zip");
    w.SetRootDir(src);
    w.SetRelativePaths(true);
    w.FilesList = {src + "*.*"};
    QCOMPARE(w.Zip(), 2);
    WriteText(archives_ + "damaged.zip", Damaged(ReadText(archives_ + "alpha.zip")));
    const std::string zipCommand = "cd '" + src + "' && zip -q -r -D -P pw '" + archives_ +
                                   "secret.zip' a.txt sub >/dev/null 2>&1";
    QCOMPARE(std::system(zipCommand.c_str()), 0);

    // Names, sizes and dates each give another order; sizes sort as text.
    const struct {
      const char* name;
      int kb;
      int day;
    } files[] = {{"a.zip", 20, 3}, {"b.zip", 3, 1}, {"c.zip", 100, 2}};
    for (const auto& f : files) {
      WriteText(sorting_ + f.name, std::string(static_cast<std::size_t>(f.kb) * 1024, 'z'));
      SetMTime(sorting_ + f.name, 2024, 5, f.day, 12, 0, 0);
    }
  }

  void init() {
    fs::create_directories(root_ + "data");
    host_ = std::make_unique<FakeHost>(root_ + "data/");
    host_->settings.byField = 0;
    tab_ = std::make_unique<gui::TRestoreTab>(*host_);
    answers_.clear();
    chosenFolders_.clear();
    boxes_.clear();
    dialogTitles_.clear();
    zip::SetMessageBoxHandler(
        [this](const std::string& text, const std::string&, zip::MsgKind, zip::MsgButtons buttons) {
          boxes_.push_back(text);
          if (!answers_.empty()) {
            const zip::MsgResult answer = answers_.front();
            answers_.pop_front();
            return answer;
          }
          return buttons == zip::MsgButtons::OK ? zip::MsgResult::OK : zip::MsgResult::Yes;
        });
    zip::SetFileDialogHandler([this](const zip::FileDialogRequest& request) {
      dialogTitles_.push_back(request.title);
      std::optional<std::string> answer;
      if (!chosenFolders_.empty()) {
        answer = chosenFolders_.front();
        chosenFolders_.pop_front();
      }
      return answer;
    });
  }

  void cleanup() {
    tab_.reset();
    host_.reset();
    fs::remove_all(root_ + "data");
    fs::remove_all(root_ + "dest");
    fs::remove_all(root_ + "work");
    zip::SetMessageBoxHandler(nullptr);
    zip::SetFileDialogHandler(nullptr);
  }

  void startsWithDefaults() {
    QCOMPARE(tab_->objectName(), QString("TabRestore"));
    QCOMPARE(Find<QLabel>("LabelZipNumber")->text(), QString("(Total 0 files)"));
    QCOMPARE(Find<QLabel>("LabelfileNumber")->text(), QString("(Total 0 files)"));
    QVERIFY(Find<QLineEdit>("DirectoryView")->isReadOnly());
    QCOMPARE(Find<QLineEdit>("EditRestorePassword")->echoMode(), QLineEdit::Password);
    QVERIFY(Find<QRadioButton>("RadioNever")->isChecked());
    QCOMPARE(Find<QRadioButton>("RadioPrompt")->text(), QString("Prompt Before  Overwrite"));
    QVERIFY(Find<QCheckBox>("CheckBoxUseFolder")->isChecked());
    QCOMPARE(Find<QLineEdit>("DirectoryRestore")->text().toStdString(), core::HomeFolder());
    QCOMPARE(Archives()->horizontalHeaderItem(1)->text(), QString("Size(KB)"));
    QCOMPARE(Entries()->horizontalHeaderItem(2)->text(), QString("Path"));
  }

  void sortsByEachFieldAndDirection_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("direction");
    QTest::addColumn<int>("byField");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("name asc") << "PupMenuByname"
                              << "PopupmenuAsc" << 0 << QStringList{"a.zip", "b.zip", "c.zip"};
    QTest::newRow("name desc") << "PupMenuByname"
                               << "PopupmenuDesc" << 0 << QStringList{"c.zip", "b.zip", "a.zip"};
    QTest::newRow("size asc, as text")
        << "PupmenuBysize"
        << "PopupmenuAsc" << 1 << QStringList{"c.zip", "a.zip", "b.zip"};
    QTest::newRow("size desc, as text")
        << "PupmenuBysize"
        << "PopupmenuDesc" << 1 << QStringList{"b.zip", "a.zip", "c.zip"};
    QTest::newRow("date asc") << "PupMenuBydate"
                              << "PopupmenuAsc" << 2 << QStringList{"b.zip", "c.zip", "a.zip"};
    QTest::newRow("date desc") << "PupMenuBydate"
                               << "PopupmenuDesc" << 2 << QStringList{"a.zip", "c.zip", "b.zip"};
  }

  void sortsByEachFieldAndDirection() {
    QFETCH(QString, field);
    QFETCH(QString, direction);
    QFETCH(int, byField);
    QFETCH(QStringList, expected);
    host_->settings.byField = 0;
    ShowFolder(sorting_);
    QCOMPARE(Column(Archives(), 0), (QStringList{"a.zip", "b.zip", "c.zip"}));
    QCOMPARE(Row(Archives(), 2), (QStringList{"c.zip", "100", "2024-05-02 12:00:00"}));
    QCOMPARE(Find<QLabel>("LabelZipNumber")->text(), QString("(Total 3 files)"));

    Find<QAction>(field.toLatin1().constData())->trigger();
    Find<QAction>(direction.toLatin1().constData())->trigger();
    QCOMPARE(Column(Archives(), 0), expected);
    QCOMPARE(Archives()->currentRow(), 0);
    // The choice is held in the settings the main window saves.
    QCOMPARE(host_->settings.byField, byField);
    QCOMPARE(host_->settings.sortDescending, direction == "PopupmenuDesc");

    // A new tab lists in the held order and shows it checked in the menu.
    tab_ = std::make_unique<gui::TRestoreTab>(*host_);
    ShowFolder(sorting_);
    QCOMPARE(Column(Archives(), 0), expected);
    Find<QMenu>("PopupMenuString")->aboutToShow();
    QVERIFY(Find<QAction>(field.toLatin1().constData())->isChecked());
    QVERIFY(Find<QAction>(direction.toLatin1().constData())->isChecked());
    QVERIFY(boxes_.empty());  // files that are no archives list no entries, silently
  }

  void emptyFolderShowsEmptyRowsAndOnlyTheSortMenu() {
    ShowFolder(archives_);
    SelectArchive("alpha.zip");
    QCOMPARE(Find<QLabel>("LabelfileNumber")->text(), QString("(Total 2 files)"));
    auto* menu = Find<QMenu>("PopupMenuString");
    menu->aboutToShow();
    for (const char* name :
         {"Sort1", "menuspe", "OpenZipFile1", "MenuCopy", "menuDelete", "N5", "menuRestore"})
      QVERIFY2(Find<QAction>(name)->isVisible(), name);

    fs::create_directories(root_ + "work");
    WriteText(root_ + "work/readme.txt", "no archives here");
    chosenFolders_.push_back(root_ + "work");
    Find<QToolButton>("DirectoryViewButton")->click();
    QCOMPARE(dialogTitles_, (std::vector<std::string>{"Please select directory"}));
    QCOMPARE(Find<QLineEdit>("DirectoryView")->text().toStdString(), root_ + "work");
    QCOMPARE(Archives()->rowCount(), 1);
    QCOMPARE(Row(Archives(), 0), (QStringList{"", "", ""}));
    QCOMPARE(Entries()->rowCount(), 1);
    QCOMPARE(Row(Entries(), 0), (QStringList{"", "", "", ""}));
    QCOMPARE(Find<QLabel>("LabelZipNumber")->text(), QString("(Total 0 files)"));
    QCOMPARE(Find<QLabel>("LabelfileNumber")->text(), QString("(Total 0 files)"));

    menu->aboutToShow();
    for (const char* name : {"Sort1", "N5"}) QVERIFY2(Find<QAction>(name)->isVisible(), name);
    for (const char* name : {"menuspe", "OpenZipFile1", "MenuCopy", "menuDelete", "menuRestore"})
      QVERIFY2(!Find<QAction>(name)->isVisible(), name);

    // Restoring from an empty list only says so.
    tab_->SpRestoreClick();
    QCOMPARE(host_->prompts.infos, (std::vector<std::string>{"No Zip file to restore!"}));
    QVERIFY(host_->prompts.questions.empty());
    QCOMPARE(host_->logged, 0);
  }

  void contentsOfTheSelectedArchive() {
    ShowFolder(archives_);
    QCOMPARE(Column(Archives(), 0), (QStringList{"alpha.zip", "damaged.zip", "secret.zip"}));
    SelectArchive("secret.zip");
    QCOMPARE(Entries()->rowCount(), 2);
    QCOMPARE(Row(Entries(), 0), (QStringList{"a.txt", "1", "", "2024-02-03 04:05:06"}));
    QCOMPARE(Row(Entries(), 1), (QStringList{"b.txt", "2", "sub/", "2024-02-03 04:05:06"}));
    QCOMPARE(Find<QLabel>("LabelfileNumber")->text(), QString("(Total 2 files)"));

    // A damaged archive shows the reader's error and leaves the grid as it was.
    SelectArchive("damaged.zip");
    QCOMPARE(boxes_, (std::vector<std::string>{"Not a valid zip file!"}));
    QCOMPARE(Row(Entries(), 1).at(0), QString("b.txt"));
    QCOMPARE(Find<QLabel>("LabelfileNumber")->text(), QString("(Total 2 files)"));
  }

  void unchangedArchiveIsReadOnce() {
    fs::create_directories(root_ + "work");
    const std::string copy = root_ + "work/alpha.zip";
    fs::copy_file(archives_ + "alpha.zip", copy);
    ShowFolder(root_ + "work");
    QCOMPARE(Entries()->rowCount(), 2);

    // Same size and time stamp: sorting lists the first archive again from what was read.
    const auto stamp = fs::last_write_time(copy);
    WriteText(copy, Damaged(ReadText(copy)));
    fs::last_write_time(copy, stamp);
    Find<QAction>("PopupmenuDesc")->trigger();
    QVERIFY(boxes_.empty());
    QCOMPARE(Row(Entries(), 0).at(0), QString("a.txt"));

    // Once the file changes it is read again.
    fs::last_write_time(copy, stamp + std::chrono::seconds(10));
    Find<QAction>("PopupmenuAsc")->trigger();
    QCOMPARE(boxes_, (std::vector<std::string>{"Not a valid zip file!"}));
  }

  void defaultRestoreFolderOnEnteringTheTab_data() {
    QTest::addColumn<QStringList>("backups");
    QTest::addColumn<bool>("fullPaths");
    QTest::addColumn<QString>("expected");
    QTest::newRow("full paths: the root") << QStringList{"/home/u/data/f.txt"} << true << "/";
    QTest::newRow("no paths: the folder")
        << QStringList{"/home/u/data/f.txt", "/x/y.txt"} << false << "/home/u/data/";
    QTest::newRow("no sources: unchanged") << QStringList{} << true << "/unchanged/";
  }

  void defaultRestoreFolderOnEnteringTheTab() {
    QFETCH(QStringList, backups);
    QFETCH(bool, fullPaths);
    QFETCH(QString, expected);
    Find<QLineEdit>("DirectoryRestore")->setText("/unchanged/");
    for (const QString& b : backups) host_->tab.listboxBackup.push_back(b.toStdString());
    host_->tab.checkBoxpath = fullPaths;
    ShowFolder(archives_);
    QCOMPARE(Find<QLineEdit>("DirectoryRestore")->text(), expected);
    QCOMPARE(Find<QLineEdit>("DirectoryView")->text().toStdString(), archives_);
  }

  void restoresInTheOverwriteModes_data() {
    QTest::addColumn<QString>("radio");
    QTest::addColumn<bool>("existingIsNewer");
    QTest::addColumn<int>("promptAnswer");  // MsgResult of the replace question, -1 none
    QTest::addColumn<bool>("useFolder");
    QTest::addColumn<bool>("replaced");
    const int none = -1, yes = int(zip::MsgResult::Yes), no = int(zip::MsgResult::No);
    QTest::newRow("always") << "RadioAlways" << true << none << true << true;
    QTest::newRow("never") << "RadioNever" << false << none << true << false;
    QTest::newRow("if newer, archive newer") << "RadioNewer" << false << none << true << true;
    QTest::newRow("if newer, file newer") << "RadioNewer" << true << none << true << false;
    QTest::newRow("if older, file newer") << "RadioOlder" << true << none << true << true;
    QTest::newRow("if older, file older") << "RadioOlder" << false << none << true << false;
    QTest::newRow("prompt, yes") << "RadioPrompt" << false << yes << true << true;
    QTest::newRow("prompt, no") << "RadioPrompt" << false << no << true << false;
    QTest::newRow("flat, always") << "RadioAlways" << false << none << false << true;
  }

  void restoresInTheOverwriteModes() {
    QFETCH(QString, radio);
    QFETCH(bool, existingIsNewer);
    QFETCH(int, promptAnswer);
    QFETCH(bool, useFolder);
    QFETCH(bool, replaced);
    const std::string dest = root_ + "dest/";
    WriteText(dest + "a.txt", "on disk");
    SetMTime(dest + "a.txt", existingIsNewer ? 2025 : 2020, 1, 1, 0, 0, 0);
    ShowFolder(archives_);
    SelectArchive("alpha.zip");
    SetUpRestore(dest, radio.toLatin1().constData());
    Find<QCheckBox>("CheckBoxUseFolder")->setChecked(useFolder);
    if (promptAnswer >= 0) answers_.push_back(zip::MsgResult(promptAnswer));

    tab_->SpRestoreClick();

    const QString caption = Find<QRadioButton>(radio.toLatin1().constData())->text();
    QCOMPARE(host_->prompts.questions.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(host_->prompts.questions[0])
                .endsWith("Overwrite Mode:      '" + caption + "'"));
    QCOMPARE(boxes_.size(), std::size_t(promptAnswer >= 0 ? 1 : 0));
    if (promptAnswer >= 0) QCOMPARE(boxes_[0], std::string("Replace existing file a.txt?"));
    QCOMPARE(ReadText(dest + "a.txt"),
             std::string(replaced ? "alpha from the archive" : "on disk"));
    const std::string b = useFolder ? dest + "sub/b.txt" : dest + "b.txt";
    QCOMPARE(ReadText(b), std::string(3000, 'b'));
    QCOMPARE(fs::exists(dest + "sub"), useFolder);

    QCOMPARE(host_->prompts.timed,
             (std::vector<std::string>{"Restore Files Succeeds!\rProject Name: 'Docs'\r"
                                       "Filename:     'alpha.zip'"}));
    QCOMPARE(host_->busyStates, (std::vector<bool>{false, true}));
    QCOMPARE(host_->logged, 1);
    const auto log = Log();
    QCOMPARE(log.size(), std::size_t(1));
    QCOMPARE(log[0].status, std::string("Succeeds"));
    QCOMPARE(log[0].project, std::string("Docs"));
    QVERIFY(QString::fromStdString(log[0].information)
                .startsWith(QString::fromStdString(archives_ + "alpha.zip  ")));
  }

  void refusedConfirmationRestoresNothing() {
    ShowFolder(archives_);
    SetUpRestore(root_ + "dest/", "RadioAlways");
    host_->prompts.confirm = false;
    Find<QAction>("menuRestore")->trigger();
    QCOMPARE(host_->prompts.questions.size(), std::size_t(1));
    QVERIFY(!fs::exists(root_ + "dest"));
    QVERIFY(host_->prompts.timed.empty());
    QVERIFY(Log().empty());
    QCOMPARE(host_->logged, 0);
  }

  void wrongPasswordFailsAndKeepsFilesThenThePasswordIsKept() {
    const std::string dest = root_ + "dest/";
    WriteText(dest + "a.txt", "keep me");
    ShowFolder(archives_);
    SelectArchive("secret.zip");
    SetUpRestore(dest, "RadioAlways");
    auto* password = Find<QLineEdit>("EditRestorePassword");

    password->setText("wrong");
    tab_->SpRestoreClick();
    // The cipher's check byte lets one wrong password in 256 through to a failed CRC instead.
    const std::vector<std::string> errors = host_->prompts.errors;
    QVERIFY(errors.empty() || errors == std::vector<std::string>{"The password is incorrect"});
    QCOMPARE(host_->prompts.timed, (std::vector<std::string>{"Restore files fails!"}));
    QCOMPARE(host_->prompts.timedKinds, (std::vector<core::MessageKind>{core::MessageKind::Error}));
    QCOMPARE(ReadText(dest + "a.txt"), std::string("keep me"));
    QCOMPARE(Log().at(0).status, std::string("Fails"));

    password->setText("pw");
    tab_->SpRestoreClick();
    QCOMPARE(ReadText(dest + "a.txt"), std::string("alpha from the archive"));
    QCOMPARE(Log().at(0).status, std::string("Succeeds"));

    // A blank field uses the password of the last restore.
    fs::remove_all(dest);
    password->clear();
    tab_->SpRestoreClick();
    QCOMPARE(ReadText(dest + "sub/b.txt"), std::string(3000, 'b'));
    QCOMPARE(Log().at(0).status, std::string("Succeeds"));
    QCOMPARE(host_->prompts.errors, errors);
    QCOMPARE(host_->logged, 3);
  }

  void copiesTheCurrentArchive_data() {
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("copied");
    QTest::newRow("new target") << false << int(zip::MsgResult::Yes) << true;
    QTest::newRow("existing, yes") << true << int(zip::MsgResult::Yes) << true;
    QTest::newRow("existing, no") << true << int(zip::MsgResult::No) << false;
  }

  void copiesTheCurrentArchive() {
    QFETCH(bool, targetExists);
    QFETCH(int, answer);
    QFETCH(bool, copied);
    const std::string target = root_ + "work/alpha.zip";
    fs::create_directories(root_ + "work");
    if (targetExists) WriteText(target, "older copy");
    ShowFolder(archives_);
    SelectArchive("alpha.zip");
    answers_.push_back(zip::MsgResult(answer));
    chosenFolders_.push_back(root_ + "work/");  // a trailing separator is not doubled

    Find<QAction>("MenuCopy")->trigger();

    QCOMPARE(dialogTitles_, (std::vector<std::string>{"Copy 'alpha.zip' to destination folder"}));
    QCOMPARE(boxes_.size(), std::size_t(targetExists ? 1 : 0));
    if (targetExists)
      QCOMPARE(boxes_[0], std::string("File already exists! Do you want to overwrite?"));
    QCOMPARE(ReadText(target) == ReadText(archives_ + "alpha.zip"), copied);
    if (!copied) QCOMPARE(ReadText(target), std::string("older copy"));
    const std::vector<std::string> expected{"Copy file '" + target + " 'Succeeds!"};
    QCOMPARE(host_->prompts.timed, copied ? expected : std::vector<std::string>{});
  }

  void cancelledCopyDoesNothing() {
    ShowFolder(archives_);
    Find<QAction>("MenuCopy")->trigger();  // the dialog handler answers nothing
    QCOMPARE(dialogTitles_.size(), std::size_t(1));
    QVERIFY(boxes_.empty());
    QVERIFY(host_->prompts.timed.empty());
  }

  void deletesTheSelectedRange_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("yes") << int(zip::MsgResult::Yes) << QStringList{"d.zip", "e.zip"};
    QTest::newRow("no") << int(zip::MsgResult::No)
                        << QStringList{"a.zip", "b.zip", "c.zip", "d.zip", "e.zip"};
  }

  void deletesTheSelectedRange() {
    QFETCH(int, answer);
    QFETCH(QStringList, left);
    const std::string work = root_ + "work/";
    for (const char* name : {"a.zip", "b.zip", "c.zip", "d.zip"}) WriteText(work + name, name);
    ShowFolder(work);
    tab_->resize(800, 600);
    tab_->show();
    QVERIFY(QTest::qWaitForWindowExposed(tab_.get()));
    QTest::mouseClick(Archives()->viewport(), Qt::LeftButton, {},
                      Archives()->visualItemRect(Archives()->item(0, 0)).center());
    QTest::mouseClick(Archives()->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      Archives()->visualItemRect(Archives()->item(2, 1)).center());
    // The list is read again in every case: a file that appeared meanwhile shows up.
    WriteText(work + "e.zip", "new");
    answers_.push_back(zip::MsgResult(answer));

    Find<QAction>("menuDelete")->trigger();

    QCOMPARE(boxes_, (std::vector<std::string>{"Do you want to delete the 3 files "}));
    QCOMPARE(Column(Archives(), 0), left);
    QCOMPARE(Find<QLabel>("LabelZipNumber")->text(), QString("(Total %1 files)").arg(left.size()));
  }

  void opensTheCurrentArchive() {
    QStringList opened;
    tab_->SetFileOpener([&](const QString& path) { opened << path; });
    ShowFolder(archives_);
    SelectArchive("secret.zip");
    Find<QAction>("OpenZipFile1")->trigger();
    emit Archives()->cellDoubleClicked(2, 0);
    const QString path = QString::fromStdString(archives_ + "secret.zip");
    QCOMPARE(opened, (QStringList{path, path}));
  }
};

QTEST_MAIN(RestoreTabTest)
#include "RestoreTabTest.moc"

// The prompts seam on Qt: the runs' prompts go through the message-box seam with the program's
// title, file-dialog filters convert to Qt's form, and several chosen files split into paths.
#include <QGuiApplication>
#include <QtTest>

#include "DialogTestSupport.h"
#include "dialogs/QtPrompts.h"

class PromptsTest : public QObject {
  Q_OBJECT
 private slots:
  void runPromptsUseTheSeamWithTheTitle() {
    QGuiApplication::setApplicationDisplayName("Tessaly VIR Ovaruz");
    testsupport::MessageRecorder boxes;
    gui::QtRunPrompts prompts;
    boxes.answer = zip::MsgResult::Yes;
    QVERIFY(prompts.AskYesNo("Start?", core::QuestionKind::Warning));
    boxes.answer = zip::MsgResult::No;
    QVERIFY(!prompts.AskYesNo("Start?", core::QuestionKind::Information));
    prompts.ShowInformation("info");
    prompts.ShowError("bad");
    QCOMPARE(boxes.boxes.size(), std::size_t(4));
    for (const auto& box : boxes.boxes) QCOMPARE(box.caption, std::string("Tessaly VIR Ovaruz"));
    QCOMPARE(boxes.boxes[0].kind, zip::MsgKind::Warning);
    QCOMPARE(boxes.boxes[0].buttons, zip::MsgButtons::YesNo);
    QCOMPARE(boxes.boxes[1].kind, zip::MsgKind::Information);
    QCOMPARE(boxes.boxes[2].buttons, zip::MsgButtons::OK);
    QCOMPARE(boxes.boxes[3].kind, zip::MsgKind::Error);
  }

  void fileFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("shown patterns replaced") << "Zip Files (*.ZIP)|*.zip|All Files (*.*)|*.*"
                                             << "Zip Files (*.zip *.ZIP);;All Files (*.*)";
    QTest::newRow("several patterns") << "Archives|*.zip;*.jar"
                                      << "Archives (*.zip *.ZIP *.jar *.JAR)";
    QTest::newRow("dangling name ignored") << "Text|*.txt|Other"
                                           << "Text (*.txt *.TXT)";
  }
  void fileFilters() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(gui::QtFileFilter(gui::S(filter)), qt);
  }

  void chosenFilesSplit() {
    QCOMPARE(gui::SplitChosenFiles("/a/x.txt"), (std::vector<std::string>{"/a/x.txt"}));
    QCOMPARE(gui::SplitChosenFiles("/a/x\n/b/y\n/c/z"),
             (std::vector<std::string>{"/a/x", "/b/y", "/c/z"}));
    QCOMPARE(gui::SplitChosenFiles(""), std::vector<std::string>{});
  }
};

QTEST_MAIN(PromptsTest)
#include "PromptsTest.moc"

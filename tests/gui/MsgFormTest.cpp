// The self-closing message window: caption and icon by kind, layout, wrapping, closing by
// timer, Enter and Escape; and the handler that tests install instead of the window.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include "dialogs/TMsgForm.h"

using gui::TMsgForm;

class MsgFormTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QGuiApplication::setApplicationDisplayName("Ovaruz Test"); }

  void captionAndIconByKind_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("icon");
    QTest::newRow("warning") << 0 << "Warning" << true;
    QTest::newRow("error") << 1 << "Error" << true;
    QTest::newRow("information") << 2 << "Information" << true;
    QTest::newRow("confirm") << 3 << "Confirm" << true;
    QTest::newRow("plain") << 4 << "Ovaruz Test" << false;
  }
  void captionAndIconByKind() {
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(bool, icon);
    TMsgForm form("Backup Files Succeeds!", kind);
    QCOMPARE(form.windowTitle(), caption);
    auto* image = form.findChild<QLabel*>("Image");
    QCOMPARE(image != nullptr, icon);
    auto* message = form.findChild<QLabel*>("Message");
    auto* ok = form.findChild<QPushButton*>("OK");
    QVERIFY(message && ok);
    QCOMPARE(message->text(), QString("Backup Files Succeeds!"));
    QVERIFY(ok->isDefault());
    QCOMPARE(ok->text(), QString("OK"));
    // Icon and text sit side by side at the same margin; the button is centred below both.
    if (icon) {
      QCOMPARE(image->size(), QSize(32, 32));
      QCOMPARE(image->y(), message->y());
      QVERIFY(message->x() >= image->geometry().right());
    } else {
      QVERIFY(message->x() > 0);
      QVERIFY(message->x() < 20);
    }
    QVERIFY(ok->y() > message->geometry().bottom());
    QVERIFY(qAbs(ok->geometry().center().x() - form.width() / 2) <= 1);
    QVERIFY(form.geometry().bottom() > ok->geometry().bottom());
  }

  void wrapsAtHalfTheScreenAndKeepsLineBreaks() {
    const int half = QGuiApplication::primaryScreen()->geometry().width() / 2;
    TMsgForm longForm(QString("word ").repeated(400), 2);
    auto* longText = longForm.findChild<QLabel*>("Message");
    QVERIFY(longText->width() <= half);
    QVERIFY(longText->width() > half - 60);
    QVERIFY(longText->height() > 5 * longText->fontMetrics().height());

    TMsgForm lines("Restore Files Succeeds!\rFiles: 3\r\nSize: 1 KB", 2);
    auto* text = lines.findChild<QLabel*>("Message");
    QCOMPARE(text->text(), QString("Restore Files Succeeds!\nFiles: 3\nSize: 1 KB"));
    QVERIFY(text->height() >= 3 * text->fontMetrics().height());
    QVERIFY(text->width() < half);
  }

  void closesByTimerEnterAndEscape() {
    // The window closes itself with nobody there.
    QElapsedTimer clock;
    clock.start();
    gui::ShowTimedMessage("closing by itself", core::MessageKind::Information, 1);
    QVERIFY(clock.elapsed() >= 900);
    QVERIFY(clock.elapsed() < 4000);

    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
      TMsgForm form("press a key", 0);
      form.Start(30);
      QTimer::singleShot(50, &form, [&form, key] { QTest::keyClick(&form, key); });
      clock.restart();
      form.exec();
      QVERIFY(clock.elapsed() < 5000);
      QCOMPARE(form.result(),
               key == Qt::Key_Return ? int(QDialog::Accepted) : int(QDialog::Rejected));
    }
  }

  void handlerReplacesTheWindow() {
    std::string seen;
    int seconds = 0;
    gui::SetTimedMessageHandler([&](const std::string& text, core::MessageKind, int s) {
      seen = text;
      seconds = s;
    });
    gui::ShowTimedMessage("Restore files fails!", core::MessageKind::Error, 4);
    gui::SetTimedMessageHandler({});
    QCOMPARE(seen, std::string("Restore files fails!"));
    QCOMPARE(seconds, 4);
  }
};

QTEST_MAIN(MsgFormTest)
#include "MsgFormTest.moc"

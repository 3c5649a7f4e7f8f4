// One instance per user and data folder, with two real processes: a second start asks the first
// to come forward and ends at once without touching the data folder.
#include <QtTest>

#include <QProcess>
#include <QTemporaryDir>

#include "app/SingleInstance.h"

class SingleInstanceTest : public QObject {
  Q_OBJECT
 private slots:
  void secondStartEndsAndActivatesTheFirst() {
    QTemporaryDir home;
    QVERIFY(home.isValid());
    gui::SingleInstance first(home.path().toStdString() + "/");
    QVERIFY(first.IsFirst());
    QSignalSpy activations(&first, &gui::SingleInstance::activationRequested);

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("OVARUZ_HOME", home.path() + "/");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(QCoreApplication::applicationDirPath() + "/ovaruz", {});
    QVERIFY(second.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(activations.count() >= 1, 10000);
    if (second.state() != QProcess::NotRunning) QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(!QFile::exists(home.path() + "/project.ini"));

    gui::SingleInstance other(home.path().toStdString() + "/elsewhere/");
    QVERIFY(other.IsFirst());  // another data folder is another instance
  }
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"

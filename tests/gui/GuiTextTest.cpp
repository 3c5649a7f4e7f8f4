// The conversions between the core's text and Qt's strings.
#include <QtTest>

#include "dialogs/GuiText.h"

class GuiTextTest : public QObject {
  Q_OBJECT
 private slots:
  void messageLinesBecomeQtLineBreaks() {
    QCOMPARE(gui::MessageText("Backup Files Succeeds!\rProject Name: 'Ä'"),
             QString::fromUtf8("Backup Files Succeeds!\nProject Name: 'Ä'"));
    QCOMPARE(gui::MessageText("a\r\nb"), QString("a\nb"));
    QCOMPARE(gui::FromStringList(gui::ToStringList({"x", "ü"})),
             (std::vector<std::string>{"x", "ü"}));
  }
};

QTEST_MAIN(GuiTextTest)
#include "GuiTextTest.moc"

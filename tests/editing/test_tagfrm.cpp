#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "editing/tagfrm.h"
#include "platform/editarea.h"
#include "platform/pickers.h"
#include "platform/shared.h"

class TestTagFrm : public QObject {
    Q_OBJECT
private slots:
    void blockText();
    void declarationsFromStyleDialog();
    void controls();
    void okInserts();
    void browseFillsRow();
    void closeInsertsNothing();
};

void TestTagFrm::blockText()
{
    // No row checked: the two lines of an empty block.
    QCOMPARE(composeStyleBlock({{}, {false, "h1", "x"}, {}}), QString("<style type=\"text/css\">\n</style>"));
    QCOMPARE(composeStyleBlock({{false, "a", "b"}, {true, "p", "color:red"}, {false, "c", "d"}}),
             QString("<style type=\"text/css\">\np{color:red}\n</style>"));
    // A checked row with empty fields still writes its braces.
    QCOMPARE(composeStyleBlock({{true, "", ""}, {}, {true, "b", "x:y"}}),
             QString("<style type=\"text/css\">\n{}\nb{x:y}\n</style>"));
}

void TestTagFrm::declarationsFromStyleDialog()
{
    QCOMPARE(declarationsOf("\"color:red;\""), QString("color:red;"));
    QCOMPARE(declarationsOf("\"\""), QString());
    QCOMPARE(declarationsOf(""), QString());
    QCOMPARE(declarationsOf("\""), QString("\""));
    QCOMPARE(declarationsOf("color:red"), QString("color:red"));
}

void TestTagFrm::controls()
{
    EditArea edit;
    TagFrm d(&edit);
    QCOMPARE(d.objectName(), QString("TagFrm"));
    QCOMPARE(d.windowTitle(), QString("<Style>"));
    for (int i = 0; i < 3; ++i) {
        const QString idx = QString("(%1)").arg(i);
        auto *check = d.findChild<QCheckBox *>("Check1" + idx);
        QVERIFY(check && !check->isChecked() && check->text().isEmpty());
        QVERIFY(d.findChild<QLineEdit *>("Text1" + idx)->text().isEmpty());
        QVERIFY(d.findChild<QLineEdit *>("Text2" + idx)->text().isEmpty());
        QCOMPARE(d.findChild<QPushButton *>("Command1" + idx)->text(), QString("参照"));
    }
    QCOMPARE(d.findChild<QPushButton *>("Command2")->text(), QString("OK"));
    QStringList labels;
    for (auto *l : d.findChildren<QLabel *>())
        labels << l->text();
    QVERIFY(labels.contains("タグ") && labels.contains("定義"));
}

void TestTagFrm::okInserts()
{
    EditArea edit;
    edit.setText("head|tail");
    edit.select(4, 1);
    QSignalSpy changes(&edit, &EditArea::textEdited);
    TagFrm d(&edit);
    d.findChild<QLineEdit *>("Text1(0)")->setText("h1");  // unchecked: skipped
    d.findChild<QCheckBox *>("Check1(1)")->setChecked(true);
    d.findChild<QLineEdit *>("Text1(1)")->setText("p");
    d.findChild<QLineEdit *>("Text2(1)")->setText("color:red");
    QTest::mouseClick(d.findChild<QPushButton *>("Command2"), Qt::LeftButton);
    const QString block = "<style type=\"text/css\">\np{color:red}\n</style>";
    QCOMPARE(edit.text(), "head" + block + "tail");
    QCOMPARE(edit.selStart(), 4 + int(block.size()));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(!d.isVisible());
}

void TestTagFrm::browseFillsRow()
{
    EditArea edit;
    TagFrm d(&edit);
    QWidget *seenParent = nullptr;
    Pickers::style = [&](QWidget *parent) {
        seenParent = parent;
        Shared::ChosenStyle = "\"font-size:12;color:#FF0000\"";
    };
    auto *field = d.findChild<QLineEdit *>("Text2(2)");
    field->setText("old");
    QTest::mouseClick(d.findChild<QPushButton *>("Command1(2)"), Qt::LeftButton);
    QCOMPARE(seenParent, &d);
    QCOMPARE(field->text(), QString("font-size:12;color:#FF0000"));
    QVERIFY(d.findChild<QLineEdit *>("Text2(0)")->text().isEmpty());

    // Closed without confirming: the row keeps what was written, and the shared value
    // keeps the earlier confirmation.
    Pickers::style = [](QWidget *) {};
    field->setText("color:blue");
    d.pickDeclarations(2);
    QCOMPARE(field->text(), QString("color:blue"));
    QCOMPARE(Shared::ChosenStyle, QString("\"font-size:12;color:#FF0000\""));
    Pickers::style = nullptr;
}

void TestTagFrm::closeInsertsNothing()
{
    EditArea edit;
    edit.setText("x");
    QSignalSpy changes(&edit, &EditArea::textEdited);
    TagFrm d(&edit);
    d.findChild<QCheckBox *>("Check1(0)")->setChecked(true);
    d.show();
    d.close();
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(edit.text(), QString("x"));
    QCOMPARE(changes.count(), 0);
}

QTEST_MAIN(TestTagFrm)
#include "test_tagfrm.moc"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>

#include "dialogs/bodyfrm.h"
#include "dialogs/colorfrm.h"
#include "dialogs/layerfrm.h"
#include "dialogs/stylefrm.h"
#include "platform/colortext.h"
#include "platform/editarea.h"
#include "platform/shared.h"
#include "testutil.h"

namespace {
// Answers the next modal window once it is shown.
void whenModal(std::function<void(QWidget *)> answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget *w = QApplication::activeModalWidget();
        QVERIFY(w);
        answer(w);
    });
}

void confirmPicker(int r, int g, int b)
{
    whenModal([r, g, b](QWidget *w) {
        QCOMPARE(w->objectName(), QString("colorFrm"));
        child<QScrollBar>(w, "redscr")->setValue(r);
        child<QScrollBar>(w, "greenscr")->setValue(g);
        child<QScrollBar>(w, "bluescr")->setValue(b);
        QTest::mouseClick(child<QPushButton>(w, "Command1"), Qt::LeftButton);
    });
}

void closePicker()
{
    whenModal([](QWidget *w) { w->close(); });
}

// An editing area holding "xabcy" with "abc" selected.
struct Editor {
    EditArea edit;
    Editor()
    {
        edit.setText("xabcy");
        edit.select(1, 3);
    }
};
}

class TestColourDialogs : public QObject {
    Q_OBJECT
private slots:
    void init();

    void pickerStartsWhiteAndConfirms();
    void pickerCaptionFollowsTheBars();
    void pickerCloseKeepsTheLastConfirmedColour();

    void bodyStartState();
    void bodyNothingChecked();
    void bodyEverythingChecked();
    void bodyPartialAndWatermarkWithoutImage();
    void bodyRowsToggleAndCopyTheMix();
    void bodyCloseInsertsNothing();

    void styleNothingChecked();
    void styleEverythingChecked();
    void stylePartial();
    void styleFontDialogFillsFontAndSize();
    void styleColourButtonsReadThePicker();

    void layerNothingChecked();
    void layerEverythingChecked();
    void layerImagePathBoxFollowsItsCheckBox();

private:
    TestFolders *m_folders = nullptr;
};

void TestColourDialogs::init()
{
    delete m_folders;
    m_folders = new TestFolders;
    Shared::ChosenColor.clear();
    Shared::ChosenStyle.clear();
    StyleFrm::chooseFont = nullptr;
}

// ---- colour picker ----

void TestColourDialogs::pickerStartsWhiteAndConfirms()
{
    ColorFrm dlg;
    QCOMPARE(dlg.objectName(), QString("colorFrm"));
    QCOMPARE(dlg.windowTitle(), QString("color"));
    for (const char *bar : {"redscr", "greenscr", "bluescr"})
        QCOMPARE(child<QScrollBar>(&dlg, bar)->value(), 255);
    QCOMPARE(child<QLabel>(&dlg, "alllbl")->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(child<QLabel>(&dlg, "alllbl")->text().isEmpty());
    QCOMPARE(child<QLabel>(&dlg, "greenlbl")->palette().color(QPalette::Window), QColor(0, 255, 0));
    QTest::mouseClick(child<QPushButton>(&dlg, "Command1"), Qt::LeftButton);
    QCOMPARE(Shared::ChosenColor, QString("#FFFFFF"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void TestColourDialogs::pickerCaptionFollowsTheBars()
{
    ColorFrm dlg;
    auto *button = child<QPushButton>(&dlg, "Command1");
    child<QScrollBar>(&dlg, "greenscr")->setValue(10);
    child<QScrollBar>(&dlg, "bluescr")->setValue(0);
    QCOMPARE(button->text(), QString("#FF0A00"));
    QCOMPARE(child<QLabel>(&dlg, "alllbl")->palette().color(QPalette::Window), QColor(255, 10, 0));
    QCOMPARE(child<QLabel>(&dlg, "bluelbl")->palette().color(QPalette::Window), QColor(0, 0, 0));
    for (const char *bar : {"redscr", "greenscr", "bluescr"})
        child<QScrollBar>(&dlg, bar)->setValue(0);
    QCOMPARE(button->text(), QString("#000000"));
    QVERIFY(Shared::ChosenColor.isEmpty());  // nothing is handed back before confirming
}

void TestColourDialogs::pickerCloseKeepsTheLastConfirmedColour()
{
    closePicker();
    runColourPicker(nullptr);
    QVERIFY(Shared::ChosenColor.isEmpty());

    confirmPicker(15, 16, 171);
    runColourPicker(nullptr);
    QCOMPARE(Shared::ChosenColor, QString("#0F10AB"));

    // Every opening starts from white; closing leaves the earlier colour.
    whenModal([](QWidget *w) {
        QCOMPARE(child<QPushButton>(w, "Command1")->text(), QString("#FFFFFF"));
        w->close();
    });
    runColourPicker(nullptr);
    QCOMPARE(Shared::ChosenColor, QString("#0F10AB"));
}

// ---- body ----

void TestColourDialogs::bodyStartState()
{
    Editor e;
    BodyFrm dlg(&e.edit);
    QCOMPARE(dlg.objectName(), QString("bodyfrm"));
    QCOMPARE(dlg.windowTitle(), QString("<body>"));
    const char *captions[] = {"bgcolor", "text", "link", "alink", "vlink"};
    const char *digits[] = {"000000", "FFFFFF", "0000FF", "FF0000", "FF00FF"};
    for (int i = 0; i < 5; ++i) {
        const QByteArray n = QByteArray::number(i);
        auto *chk = child<QCheckBox>(&dlg, "chk(" + n + ")");
        QCOMPARE(chk->text(), QString(captions[i]));
        QVERIFY(!chk->isChecked());
        QCOMPARE(child<QLineEdit>(&dlg, "bgtxt(" + n + ")")->text(), QString(digits[i]));
        QVERIFY(!child<QLineEdit>(&dlg, "bgtxt(" + n + ")")->isEnabled());
        QVERIFY(!child<QPushButton>(&dlg, "Command1(" + n + ")")->isEnabled());
    }
    QCOMPARE(child<QCheckBox>(&dlg, "chk(3)")->toolTip(), QString("(アクティブリンク色）"));
    QVERIFY(child<QCheckBox>(&dlg, "Check1")->isEnabled());
    QVERIFY(!child<QCheckBox>(&dlg, "Check2")->isEnabled());
    QVERIFY(!child<QLineEdit>(&dlg, "Text1")->isEnabled());
    QCOMPARE(child<QScrollBar>(&dlg, "redscr")->orientation(), Qt::Vertical);
    auto *swatch = child<QLabel>(&dlg, "alllbl");
    QCOMPARE(swatch->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(swatch->text().isEmpty());
    child<QScrollBar>(&dlg, "bluescr")->setValue(254);
    QCOMPARE(swatch->text(), QString("#FFFFFE"));
}

void TestColourDialogs::bodyNothingChecked()
{
    Editor e;
    BodyFrm dlg(&e.edit);
    QTest::mouseClick(child<QPushButton>(&dlg, "Command2"), Qt::LeftButton);
    QCOMPARE(e.edit.text(), QString("x<body>\nabc\n</body>y"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void TestColourDialogs::bodyEverythingChecked()
{
    Editor e;
    BodyFrm dlg(&e.edit);
    for (int i = 0; i < 5; ++i)
        child<QCheckBox>(&dlg, QByteArray("chk(" + QByteArray::number(i) + ")").constData())->click();
    child<QLineEdit>(&dlg, "bgtxt(2)")->setText("00ff00");  // copied unchanged
    child<QLineEdit>(&dlg, "bgtxt(4)")->setText("#123456"); // a typed "#" doubles
    child<QCheckBox>(&dlg, "Check1")->click();
    child<QLineEdit>(&dlg, "Text1")->setText("img/背景.gif");
    child<QCheckBox>(&dlg, "Check2")->click();
    QTest::mouseClick(child<QPushButton>(&dlg, "Command2"), Qt::LeftButton);
    QCOMPARE(e.edit.text(),
             QString("x<body bgcolor=\"#000000\" text=\"#FFFFFF\" link=\"#00ff00\" alink=\"#FF0000\" vlink=\"##123456\""
                     " background=\"img/背景.gif\" bgproperties=\"fixed\">\nabc\n</body>y"));
}

void TestColourDialogs::bodyPartialAndWatermarkWithoutImage()
{
    Editor e;
    BodyFrm dlg(&e.edit);
    child<QCheckBox>(&dlg, "chk(1)")->click();
    child<QCheckBox>(&dlg, "chk(3)")->click();
    // The watermark, checked and then orphaned by unchecking the image, says nothing.
    child<QCheckBox>(&dlg, "Check1")->click();
    child<QCheckBox>(&dlg, "Check2")->click();
    child<QCheckBox>(&dlg, "Check1")->click();
    QCOMPARE(dlg.startTag(), QString("<body text=\"#FFFFFF\" alink=\"#FF0000\">"));
    child<QCheckBox>(&dlg, "Check1")->click();
    QCOMPARE(dlg.startTag(), QString("<body text=\"#FFFFFF\" alink=\"#FF0000\" background=\"\" bgproperties=\"fixed\">"));
}

void TestColourDialogs::bodyRowsToggleAndCopyTheMix()
{
    Editor e;
    BodyFrm dlg(&e.edit);
    auto *chk = child<QCheckBox>(&dlg, "chk(0)");
    auto *box = child<QLineEdit>(&dlg, "bgtxt(0)");
    auto *arrow = child<QPushButton>(&dlg, "Command1(0)");
    chk->click();
    QVERIFY(box->isEnabled() && arrow->isEnabled());
    QTest::mouseClick(arrow, Qt::LeftButton);
    QCOMPARE(box->text(), QString("FFFFFF"));

    QTest::mouseClick(child<QPushButton>(&dlg, "Command3"), Qt::LeftButton);
    for (const char *bar : {"redscr", "greenscr", "bluescr"})
        QCOMPARE(child<QScrollBar>(&dlg, bar)->value(), 0);
    auto *swatch = child<QLabel>(&dlg, "alllbl");
    QCOMPARE(swatch->text(), QString("#000000"));
    QCOMPARE(swatch->palette().color(QPalette::WindowText), QColor(Qt::white));
    child<QScrollBar>(&dlg, "redscr")->setValue(171);
    QTest::mouseClick(arrow, Qt::LeftButton);
    QCOMPARE(box->text(), QString("AB0000"));

    chk->click();
    QVERIFY(!box->isEnabled() && !arrow->isEnabled());
    QCOMPARE(dlg.startTag(), QString("<body>"));
}

void TestColourDialogs::bodyCloseInsertsNothing()
{
    Editor e;
    BodyFrm dlg(&e.edit);
    child<QCheckBox>(&dlg, "chk(0)")->click();
    dlg.close();
    QCOMPARE(e.edit.text(), QString("xabcy"));
}

// ---- style ----

void TestColourDialogs::styleNothingChecked()
{
    Shared::ChosenStyle = "\"color:red\"";
    {
        StyleFrm dlg;
        dlg.close();  // the close box keeps what was confirmed before
    }
    QCOMPARE(Shared::ChosenStyle, QString("\"color:red\""));
    StyleFrm dlg;
    QCOMPARE(dlg.objectName(), QString("styleFrm"));
    QCOMPARE(dlg.windowTitle(), QString("ｽﾀｲﾙ定義"));
    QVERIFY(child<QRadioButton>(&dlg, "Option1")->isChecked());
    QVERIFY(child<QRadioButton>(&dlg, "Option3")->isChecked());
    QVERIFY(!child<QRadioButton>(&dlg, "Option5")->isChecked() && !child<QRadioButton>(&dlg, "Option6")->isChecked());
    QCOMPARE(child<QComboBox>(&dlg, "List7")->currentText(), QString("px"));
    QTest::mouseClick(child<QPushButton>(&dlg, "Command3"), Qt::LeftButton);
    QCOMPARE(Shared::ChosenStyle, QString("\"\""));
}

void TestColourDialogs::styleEverythingChecked()
{
    StyleFrm dlg;
    for (int n = 1; n <= 9; ++n)
        child<QCheckBox>(&dlg, QByteArray("Check" + QByteArray::number(n)).constData())->setChecked(true);
    child<QRadioButton>(&dlg, "Option2")->setChecked(true);
    child<QComboBox>(&dlg, "List1")->setCurrentText("cursive");
    child<QRadioButton>(&dlg, "Option4")->setChecked(true);
    child<QComboBox>(&dlg, "List2")->setCurrentText("x-large");
    const char *values[] = {"150", "2", "10", "20", "30"};
    const char *units[] = {"%", "cm", "pt", "in", "px"};
    for (int i = 0; i < 5; ++i) {
        child<QLineEdit>(&dlg, QByteArray("Text" + QByteArray::number(3 + i)).constData())->setText(values[i]);
        child<QComboBox>(&dlg, QByteArray("List" + QByteArray::number(3 + i)).constData())->setCurrentText(units[i]);
    }
    child<QRadioButton>(&dlg, "Option5")->setChecked(true);
    child<QLineEdit>(&dlg, "Text8")->setText("back.gif");
    child<QLineEdit>(&dlg, "Text9")->setText("#00FF00");
    child<QLineEdit>(&dlg, "Text10")->setText("#FF0000");
    QCOMPARE(dlg.declarations(),
             QString("\"font-family:cursive;font-size:x-large;line-height:150%;text-indent:2cm;margin-top:10pt;"
                     "margin-right:20in;margin-left:30px;background:url(back.gif);color:#FF0000\""));
    child<QRadioButton>(&dlg, "Option6")->setChecked(true);
    QVERIFY(dlg.declarations().contains(";background:#00FF00;color:"));
}

void TestColourDialogs::stylePartial()
{
    StyleFrm dlg;
    child<QCheckBox>(&dlg, "Check1")->setChecked(true);
    child<QLineEdit>(&dlg, "Text1")->setText("ＭＳ ゴシック");
    child<QCheckBox>(&dlg, "Check9")->setChecked(true);
    child<QLineEdit>(&dlg, "Text10")->setText("#FF0000");
    QCOMPARE(dlg.declarations(), QString("\"font-family:ＭＳ ゴシック;color:#FF0000\""));

    StyleFrm other;
    child<QCheckBox>(&other, "Check3")->setChecked(true);
    child<QLineEdit>(&other, "Text3")->setText("150");
    // No background option chosen: the colour form, even with an image named.
    child<QCheckBox>(&other, "Check8")->setChecked(true);
    child<QLineEdit>(&other, "Text8")->setText("back.gif");
    QTest::mouseClick(child<QPushButton>(&other, "Command3"), Qt::LeftButton);
    QCOMPARE(Shared::ChosenStyle, QString("\"line-height:150px;background:;\""));
}

void TestColourDialogs::styleFontDialogFillsFontAndSize()
{
    StyleFrm dlg;
    StyleFrm::chooseFont = [](QWidget *, const QFont &) { return std::optional<QFont>(); };
    QTest::mouseClick(child<QPushButton>(&dlg, "Command1"), Qt::LeftButton);
    QVERIFY(!child<QCheckBox>(&dlg, "Check1")->isChecked());
    QVERIFY(child<QLineEdit>(&dlg, "Text1")->text().isEmpty());

    child<QRadioButton>(&dlg, "Option2")->setChecked(true);
    child<QRadioButton>(&dlg, "Option4")->setChecked(true);
    StyleFrm::chooseFont = [](QWidget *, const QFont &) {
        QFont f("Noto Sans CJK JP");
        f.setPointSizeF(10.5);
        return std::optional<QFont>(f);
    };
    QTest::mouseClick(child<QPushButton>(&dlg, "Command1"), Qt::LeftButton);
    QVERIFY(child<QCheckBox>(&dlg, "Check1")->isChecked());
    QVERIFY(child<QCheckBox>(&dlg, "Check2")->isChecked());
    QVERIFY(child<QRadioButton>(&dlg, "Option1")->isChecked());
    QVERIFY(child<QRadioButton>(&dlg, "Option3")->isChecked());
    QCOMPARE(dlg.declarations(), QString("\"font-family:Noto Sans CJK JP;font-size:10.5;\""));
}

void TestColourDialogs::styleColourButtonsReadThePicker()
{
    StyleFrm dlg;
    confirmPicker(255, 0, 0);
    QTest::mouseClick(child<QPushButton>(&dlg, "Command4"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>(&dlg, "Text10")->text(), QString("#FF0000"));
    // A closed picker hands back the colour confirmed last.
    closePicker();
    QTest::mouseClick(child<QPushButton>(&dlg, "Command2"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>(&dlg, "Text9")->text(), QString("#FF0000"));
}

// ---- layer ----

void TestColourDialogs::layerNothingChecked()
{
    Editor e;
    LayerFrm dlg(&e.edit);
    QCOMPARE(dlg.objectName(), QString("frmLay"));
    QCOMPARE(dlg.windowTitle(), QString("<layer>"));
    child<QLineEdit>(&dlg, "txtWidth")->setText("100");  // unchecked: not written
    QTest::mouseClick(child<QPushButton>(&dlg, "Command2"), Qt::LeftButton);
    QCOMPARE(e.edit.text(), QString("x<layer left= top=>\nabc</layer>\ny"));
}

void TestColourDialogs::layerEverythingChecked()
{
    Editor e;
    LayerFrm dlg(&e.edit);
    child<QLineEdit>(&dlg, "Text1")->setText("10");
    child<QLineEdit>(&dlg, "Text2")->setText("20");
    for (const char *c : {"chkWidth", "chkHeight", "Check1", "Check2"})
        child<QCheckBox>(&dlg, c)->click();
    child<QLineEdit>(&dlg, "txtWidth")->setText("300");
    child<QLineEdit>(&dlg, "txtHeight")->setText("50%");
    child<QLineEdit>(&dlg, "Text3")->setText("bg.png");
    confirmPicker(255, 10, 0);
    QTest::mouseClick(child<QPushButton>(&dlg, "Command1"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>(&dlg, "Text4")->text(), QString("#FF0A00"));
    QTest::mouseClick(child<QPushButton>(&dlg, "Command2"), Qt::LeftButton);
    QCOMPARE(e.edit.text(),
             QString("x<layer left=10 top=20 width=300 height=50% background=\"bg.png\" bgcolor=#FF0A00>\nabc</layer>\ny"));
}

void TestColourDialogs::layerImagePathBoxFollowsItsCheckBox()
{
    Editor e;
    LayerFrm dlg(&e.edit);
    auto *check = child<QCheckBox>(&dlg, "Check1");
    auto *path = child<QLineEdit>(&dlg, "Text3");
    QVERIFY(!path->isEnabled());
    check->click();
    QVERIFY(path->isEnabled());
    QCOMPARE(dlg.startTag(), QString("<layer left= top= background=\"\">"));
    check->click();
    QVERIFY(!path->isEnabled());
    child<QCheckBox>(&dlg, "chkHeight")->click();
    child<QLineEdit>(&dlg, "txtHeight")->setText("40");
    QCOMPARE(dlg.startTag(), QString("<layer left= top= height=40>"));
    dlg.close();
    QCOMPARE(e.edit.text(), QString("xabcy"));
}

QTEST_MAIN(TestColourDialogs)
#include "test_colourdialogs.moc"

// The frameset, image and inline-frame dialogs: controls, their starting state, what
// OK inserts, and the "参照" buttons that ask the path picker.
#include "dialogs/framefrm.h"
#include "dialogs/iframefrm.h"
#include "dialogs/imgform.h"
#include "platform/editarea.h"
#include "platform/pickers.h"
#include "platform/shared.h"
#include "testutil.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// An editing area holding "[sel]" with "sel" selected.
struct Editor {
    EditArea edit;
    Editor()
    {
        edit.setText("[sel]");
        edit.select(1, 3);
    }
};

void clickOk(QWidget *dialog)
{
    QTest::mouseClick(child<QPushButton>(dialog, "Command1"), Qt::LeftButton);
}

// A stand-in for the path picker that answers with the given path.
struct FakePicker {
    int runs = 0;
    explicit FakePicker(const QString &answer)
    {
        Pickers::path = [this, answer](QWidget *) {
            ++runs;
            Shared::PickedPath = answer;
        };
    }
    ~FakePicker() { Pickers::path = nullptr; }
};

}

class TestPathDialogs : public QObject {
    Q_OBJECT
private slots:
    void framesetText();
    void framefrmControls();
    void framefrmNothingChanged();
    void framefrmEverything();
    void framefrmOneFrameTakesTheRest();
    void imgFormControls();
    void imgFormNothingChecked();
    void imgFormEverythingChecked();
    void iframeNothingChecked();
    void iframeEverythingChecked();
    void browseButtons();
    void closingInsertsNothing();
};

void TestPathDialogs::framesetText()
{
    const std::vector<FramePanel> two = {{"200", FramePanel::Pixels, "a.htm"}, {"25", FramePanel::Rest, "b.htm"}};
    QCOMPARE(::framesetText(false, two),
             QString("<frameset cols=200,*>\n   <frame src=a.htm>\n   <frame src=b.htm>\n</frameset>"));
    QCOMPARE(frameSizeText({"50", FramePanel::Percent, {}}), QString("50%"));
    QCOMPARE(frameSizeText({"", FramePanel::Percent, {}}), QString("%"));
    QCOMPARE(frameSizeText({"x", FramePanel::Rest, {}}), QString("*"));
}

void TestPathDialogs::framefrmControls()
{
    Editor e;
    FrameFrm dlg(&e.edit);
    QCOMPARE(dlg.objectName(), QString("framefrm"));
    QCOMPARE(dlg.windowTitle(), QString("<frame>"));
    QVERIFY(child<QRadioButton>(&dlg, "Option1")->isChecked());
    auto *check1 = child<QCheckBox>(&dlg, "Check1");
    QVERIFY(!check1->isChecked());
    QVERIFY(!child<QGroupBox>(&dlg, "Frame2(2)")->isEnabled());
    const char *sizes[] = {"50", "25", "50"};
    for (int i = 0; i < 3; ++i) {
        const QString n = QString("(%1)").arg(i);
        QCOMPARE(child<QLineEdit>(&dlg, "Text1" + n)->text(), QString(sizes[i]));
        QVERIFY(child<QRadioButton>(&dlg, "Option3" + n)->isChecked());
        QVERIFY(child<QLineEdit>(&dlg, "Text2" + n)->text().isEmpty());
    }
    check1->click();
    QVERIFY(child<QGroupBox>(&dlg, "Frame2(2)")->isEnabled());
    check1->click();
    QVERIFY(!child<QGroupBox>(&dlg, "Frame2(2)")->isEnabled());
}

void TestPathDialogs::framefrmNothingChanged()
{
    Editor e;
    FrameFrm dlg(&e.edit);
    clickOk(&dlg);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(e.edit.text(),
             QString("[<frameset rows=50%,25%>\n   <frame src=>\n   <frame src=>\n</frameset>]"));
}

void TestPathDialogs::framefrmEverything()
{
    Editor e;
    FrameFrm dlg(&e.edit);
    child<QRadioButton>(&dlg, "Option2")->click();
    child<QCheckBox>(&dlg, "Check1")->click();
    child<QLineEdit>(&dlg, "Text1(0)")->setText("200");
    child<QRadioButton>(&dlg, "Option4(0)")->click();
    child<QRadioButton>(&dlg, "Option5(1)")->click();
    child<QLineEdit>(&dlg, "Text1(2)")->setText("10");
    for (int i = 0; i < 3; ++i)
        child<QLineEdit>(&dlg, QString("Text2(%1)").arg(i))->setText(QString("f%1.htm").arg(i));
    QCOMPARE(dlg.text(), QString("<frameset cols=200,*,10%>\n   <frame src=f0.htm>\n   <frame src=f1.htm>\n"
                                 "   <frame src=f2.htm>\n</frameset>"));
    // Switching the third frame off again drops it, whatever it holds.
    child<QCheckBox>(&dlg, "Check1")->click();
    QCOMPARE(dlg.text(), QString("<frameset cols=200,*>\n   <frame src=f0.htm>\n   <frame src=f1.htm>\n</frameset>"));
    child<QCheckBox>(&dlg, "Check1")->click();
    clickOk(&dlg);
    QVERIFY(e.edit.text().startsWith("[<frameset cols=200,*,10%>"));
    QVERIFY(e.edit.text().endsWith("</frameset>]"));
}

void TestPathDialogs::framefrmOneFrameTakesTheRest()
{
    Editor e;
    FrameFrm dlg(&e.edit);
    child<QCheckBox>(&dlg, "Check1")->click();
    child<QRadioButton>(&dlg, "Option5(0)")->click();
    child<QRadioButton>(&dlg, "Option5(1)")->click();
    QVERIFY(child<QRadioButton>(&dlg, "Option4(0)")->isChecked());
    QVERIFY(child<QRadioButton>(&dlg, "Option5(1)")->isChecked());
    QVERIFY(child<QRadioButton>(&dlg, "Option3(2)")->isChecked());
    child<QRadioButton>(&dlg, "Option5(2)")->click();
    QVERIFY(child<QRadioButton>(&dlg, "Option4(1)")->isChecked());
    QVERIFY(child<QRadioButton>(&dlg, "Option4(0)")->isChecked());
    QCOMPARE(dlg.text().section('\n', 0, 0), QString("<frameset rows=50,25,*>"));
}

void TestPathDialogs::imgFormControls()
{
    Editor e;
    ImgFrm dlg(&e.edit);
    QCOMPARE(dlg.objectName(), QString("imgForm"));
    QCOMPARE(dlg.windowTitle(), QString("<img>"));
    auto *list = child<QListWidget>(&dlg, "lstAlign");
    QCOMPARE(list->count(), 8);
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(list->item(7)->text(), QString("absbottom"));
    for (const char *box : {"chkAlign", "chkAlt", "chkWidth", "chkHeight", "chkBorder", "chkHspace", "chkVspace",
                            "chkLowsrc"})
        QVERIFY(!child<QCheckBox>(&dlg, box)->isChecked());
}

void TestPathDialogs::imgFormNothingChecked()
{
    Editor e;
    ImgFrm dlg(&e.edit);
    child<QLineEdit>(&dlg, "txtWidth")->setText("32");  // typed but not checked
    clickOk(&dlg);
    QCOMPARE(e.edit.text(), QString("[<img src=\"\">]"));
}

void TestPathDialogs::imgFormEverythingChecked()
{
    Editor e;
    ImgFrm dlg(&e.edit);
    child<QLineEdit>(&dlg, "txtSrc")->setText("img/a.gif");
    for (const char *check : {"chkAlign", "chkAlt", "chkWidth", "chkHeight", "chkBorder", "chkHspace", "chkVspace",
                              "chkLowsrc"})
        child<QCheckBox>(&dlg, check)->click();
    child<QListWidget>(&dlg, "lstAlign")->setCurrentRow(6);
    const struct {
        const char *box, *text;
    } values[] = {{"txtAlt", "代替 文字"}, {"txtWidth", "32"}, {"txtHeight", "24"}, {"txtBorder", "0"},
                  {"txtHspace", "5"}, {"txtVspace", "6"}, {"txtLowsrc", "low.gif"}};
    for (const auto &v : values)
        child<QLineEdit>(&dlg, v.box)->setText(v.text);
    clickOk(&dlg);
    QCOMPARE(e.edit.text(), QString("[<img src=\"img/a.gif\" align=\"absmiddle\" alt=\"代替 文字\" width=32 height=24"
                                    " border=0 hspace=5 vspace=6 lowsrc=low.gif>]"));
    QCOMPARE(e.edit.selLength(), 0);
}

void TestPathDialogs::iframeNothingChecked()
{
    Editor e;
    IframeFrm dlg(&e.edit);
    QCOMPARE(dlg.objectName(), QString("frmIframe"));
    QCOMPARE(dlg.windowTitle(), QString("フローティングフレーム"));
    auto *list = child<QListWidget>(&dlg, "lstAlign");
    QCOMPARE(list->count(), 5);
    QCOMPARE(list->currentRow(), 0);
    child<QLineEdit>(&dlg, "txtSrc")->setText("sub.htm");
    child<QLineEdit>(&dlg, "txtName")->setText("main");
    child<QLineEdit>(&dlg, "txtWidth")->setText("200");
    child<QLineEdit>(&dlg, "txtHeight")->setText("100");
    clickOk(&dlg);
    QCOMPARE(e.edit.text(), QString("[<iframe src=\nsub.htm\n name=\nmain\n width=200 height=100>]"));
}

void TestPathDialogs::iframeEverythingChecked()
{
    Editor e;
    IframeFrm dlg(&e.edit);
    child<QLineEdit>(&dlg, "txtSrc")->setText("sub.htm");
    child<QLineEdit>(&dlg, "txtName")->setText("main");
    child<QCheckBox>(&dlg, "chkAlign")->click();
    child<QListWidget>(&dlg, "lstAlign")->setCurrentRow(3);
    clickOk(&dlg);
    QCOMPARE(e.edit.text(), QString("[<iframe src=\nsub.htm\n name=\nmain\n align=\ncenter\n width= height=>]"));
}

void TestPathDialogs::browseButtons()
{
    Editor e;
    {
        FakePicker picker("img/a.gif");
        ImgFrm img(&e.edit);
        QTest::mouseClick(child<QPushButton>(&img, "Command2"), Qt::LeftButton);
        QCOMPARE(picker.runs, 1);
        QCOMPARE(child<QLineEdit>(&img, "txtSrc")->text(), QString("img/a.gif"));

        IframeFrm iframe(&e.edit);
        QTest::mouseClick(child<QPushButton>(&iframe, "Command2"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(&iframe, "txtSrc")->text(), QString("img/a.gif"));

        FrameFrm frames(&e.edit);
        QTest::mouseClick(child<QPushButton>(&frames, "Command2(1)"), Qt::LeftButton);
        QCOMPARE(child<QLineEdit>(&frames, "Text2(1)")->text(), QString("img/a.gif"));
        QVERIFY(child<QLineEdit>(&frames, "Text2(0)")->text().isEmpty());
    }
    {
        // A cancelled picker leaves what was typed.
        FakePicker picker("");
        ImgFrm img(&e.edit);
        child<QLineEdit>(&img, "txtSrc")->setText("typed.gif");
        QTest::mouseClick(child<QPushButton>(&img, "Command2"), Qt::LeftButton);
        QCOMPARE(picker.runs, 1);
        QCOMPARE(child<QLineEdit>(&img, "txtSrc")->text(), QString("typed.gif"));
    }
}

void TestPathDialogs::closingInsertsNothing()
{
    Editor e;
    {
        FrameFrm frames(&e.edit);
        frames.show();
        frames.close();
    }
    {
        ImgFrm img(&e.edit);
        img.show();
        img.close();
    }
    {
        IframeFrm iframe(&e.edit);
        iframe.show();
        iframe.close();
    }
    QCOMPARE(e.edit.text(), QString("[sel]"));
}

QTEST_MAIN(TestPathDialogs)
#include "test_pathdialogs.moc"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QtTest>

#include "platform/colortext.h"
#include "platform/editarea.h"
#include "testutil.h"
#include "tools/gradfrm.h"
#include "tools/gradient.h"

namespace {
const Rgb kWhite{255, 255, 255};
const Rgb kBlack{0, 0, 0};

QColor colourAt(QTextEdit *edit, int pos)
{
    QTextCursor c(edit->document());
    c.setPosition(pos + 1);  // the format of the character before the cursor
    return c.charFormat().foreground().color();
}
}

class TestGradient : public QObject {
    Q_OBJECT
private slots:
    void roundsHalfToEven_data();
    void roundsHalfToEven();
    void threeCharactersWhiteToBlack();
    void fiveCharactersRedToBlue();
    void singleAndEmptyText();
    void surrogatePairsAndLineBreaksAreOneCharacter();

    void windowStartState();
    void invertAndSwatchContrast();
    void previewColoursTheSample();
    void lightCharactersStayVisible();
    void sampleChangeResizesOnly();
    void okInsertsTheGradient();
    void okWithEmptySampleInsertsNothing();
};

void TestGradient::roundsHalfToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("127.5 up to even") << 127.5 << 128;
    QTest::newRow("126.5 down to even") << 126.5 << 126;
    QTest::newRow("0.5 to 0") << 0.5 << 0;
    QTest::newRow("191.25") << 191.25 << 191;
    QTest::newRow("63.75") << 63.75 << 64;
    QTest::newRow("whole") << 255.0 << 255;
}

void TestGradient::roundsHalfToEven()
{
    QFETCH(double, value);
    QFETCH(int, expected);
    QCOMPARE(RoundHalfEven(value), expected);
}

void TestGradient::threeCharactersWhiteToBlack()
{
    QCOMPARE(GradientHtml("abc", kWhite, kBlack),
             QString("<font color=#FFFFFF>a</font>\n<font color=#808080>b</font>\n<font color=#000000>c</font>\n"));
}

void TestGradient::fiveCharactersRedToBlue()
{
    const std::vector<Rgb> colours = GradientColours(5, Rgb{255, 0, 0}, Rgb{0, 0, 255});
    QCOMPARE(int(colours.size()), 5);
    const int reds[] = {255, 191, 128, 64, 0};
    const int blues[] = {0, 64, 128, 191, 255};
    for (int k = 0; k < 5; ++k) {
        QCOMPARE(colours[k].red, reds[k]);
        QCOMPARE(colours[k].green, 0);
        QCOMPARE(colours[k].blue, blues[k]);
    }
    // Divided first, then multiplied: 100 / 3 * 3 lands exactly on the end.
    QCOMPARE(InterpolateChannel(0, 100, 3, 3), 100);
    QCOMPARE(InterpolateChannel(0, 100, 3, 1), 33);
    QCOMPARE(InterpolateChannel(10, 11, 2, 1), 10);  // 10.5 -> 10
}

void TestGradient::singleAndEmptyText()
{
    QCOMPARE(GradientHtml("あ", Rgb{10, 16, 255}, kBlack), QString("<font color=#0A10FF>あ</font>"));
    QCOMPARE(GradientHtml("", kWhite, kBlack), QString());
    QCOMPARE(GradientHtml("ab", kWhite, kBlack),
             QString("<font color=#FFFFFF>a</font>\n<font color=#000000>b</font>\n"));
}

void TestGradient::surrogatePairsAndLineBreaksAreOneCharacter()
{
    const QString text = QString("a") + QString::fromUcs4(U"\U00020BB7") + "\n ";
    QCOMPARE(int(CharacterSpans(text).size()), 4);
    const QString html = GradientHtml(text, kBlack, Rgb{255, 0, 0});
    QCOMPARE(html, QString("<font color=#000000>a</font>\n<font color=#550000>") + QString::fromUcs4(U"\U00020BB7") +
                       "</font>\n<font color=#AA0000>\n</font>\n<font color=#FF0000> </font>\n");
}

void TestGradient::windowStartState()
{
    TestFolders folders;
    EditArea edit;
    GradFrm dlg(&edit);
    QCOMPARE(dlg.objectName(), QString("frmGrad"));
    QCOMPARE(dlg.windowTitle(), QString("Form2"));
    QCOMPARE(child<QScrollBar>(&dlg, "greenscr(0)")->value(), 255);
    QCOMPARE(child<QScrollBar>(&dlg, "bluescr(1)")->value(), 0);
    QCOMPARE(child<QScrollBar>(&dlg, "redscr(1)")->pageStep(), 16);
    QCOMPARE(child<QLabel>(&dlg, "alllbl(0)")->text(), QString("#FFFFFF"));
    QCOMPARE(child<QLabel>(&dlg, "alllbl(1)")->text(), QString("#000000"));
    QCOMPARE(child<QLabel>(&dlg, "alllbl(1)")->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(child<QLabel>(&dlg, "Label2")->text(), QString("←文字の先頭の色を指定して下さい"));
    QCOMPARE(dlg.sampleText(), QString("Sample Text"));
    // Previewed on load: first character white, last black.
    QCOMPARE(colourAt(dlg.sample(), 0), QColor(Qt::white));
    QCOMPARE(colourAt(dlg.sample(), 10), QColor(Qt::black));
}

void TestGradient::invertAndSwatchContrast()
{
    TestFolders folders;
    EditArea edit;
    GradFrm dlg(&edit);
    QTest::mouseClick(child<QPushButton>(&dlg, "Command3(0)"), Qt::LeftButton);
    for (const char *bar : {"redscr(0)", "greenscr(0)", "bluescr(0)"})
        QCOMPARE(child<QScrollBar>(&dlg, bar)->value(), 0);
    auto *start = child<QLabel>(&dlg, "alllbl(0)");
    QCOMPARE(start->text(), QString("#000000"));
    QCOMPARE(start->palette().color(QPalette::WindowText), QColor(Qt::white));

    child<QScrollBar>(&dlg, "redscr(1)")->setValue(128);
    child<QScrollBar>(&dlg, "greenscr(1)")->setValue(128);
    child<QScrollBar>(&dlg, "bluescr(1)")->setValue(128);
    auto *end = child<QLabel>(&dlg, "alllbl(1)");
    QCOMPARE(end->palette().color(QPalette::WindowText), QColor(Qt::white));
    child<QScrollBar>(&dlg, "redscr(1)")->setValue(129);
    QCOMPARE(end->text(), QString("#818080"));
    QCOMPARE(end->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(child<QLabel>(&dlg, "redlbl(1)")->palette().color(QPalette::Window), QColor(129, 0, 0));
}

void TestGradient::previewColoursTheSample()
{
    TestFolders folders;
    EditArea edit;
    GradFrm dlg(&edit);
    dlg.sample()->setPlainText("abc");
    child<QScrollBar>(&dlg, "greenscr(0)")->setValue(0);
    child<QScrollBar>(&dlg, "bluescr(0)")->setValue(0);
    child<QScrollBar>(&dlg, "bluescr(1)")->setValue(255);
    QTest::mouseClick(child<QPushButton>(&dlg, "Command1"), Qt::LeftButton);
    QCOMPARE(colourAt(dlg.sample(), 0), QColor(255, 0, 0));
    QCOMPARE(colourAt(dlg.sample(), 1), QColor(128, 0, 128));
    QCOMPARE(colourAt(dlg.sample(), 2), QColor(0, 0, 255));
    QCOMPARE(dlg.sample()->textCursor().position(), 3);
    QCOMPARE(dlg.sampleText(), QString("abc"));  // colouring leaves the text alone

    dlg.sample()->setPlainText("x");
    QTest::mouseClick(child<QPushButton>(&dlg, "Command1"), Qt::LeftButton);
    QCOMPARE(colourAt(dlg.sample(), 0), QColor(255, 0, 0));
}

// On the white sample box the white start colour got lost: light characters get an
// outline (their colour as chosen), dark ones none.
void TestGradient::lightCharactersStayVisible()
{
    TestFolders folders;
    EditArea edit;
    GradFrm dlg(&edit);
    const auto outlined = [&](int pos) {
        QTextCursor c(dlg.sample()->document());
        c.setPosition(pos + 1);
        return c.charFormat().textOutline().style() != Qt::NoPen;
    };
    // As the window opens: "Sample Text" from white to black.
    QCOMPARE(colourAt(dlg.sample(), 0), QColor(Qt::white));
    QVERIFY(outlined(0));
    QCOMPARE(colourAt(dlg.sample(), 10), QColor(Qt::black));
    QVERIFY(!outlined(10));
    // Inverting the start colour and previewing again takes the outline away.
    QTest::mouseClick(child<QPushButton>(&dlg, "Command3(0)"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(&dlg, "Command1"), Qt::LeftButton);
    QVERIFY(!outlined(0));
    QCOMPARE(dlg.sampleText(), QString("Sample Text"));
}

void TestGradient::sampleChangeResizesOnly()
{
    TestFolders folders;
    EditArea edit;
    GradFrm dlg(&edit);
    QTextEdit *sample = dlg.sample();
    QCOMPARE(sample->document()->defaultFont().pointSizeF(), 22.0);
    QTextCursor c(sample->document());
    c.movePosition(QTextCursor::End);
    c.insertText("!");
    QTextCursor first(sample->document());
    first.setPosition(1);
    QCOMPARE(first.charFormat().fontPointSize(), 21.75);
    QCOMPARE(colourAt(sample, 0), QColor(Qt::white));  // not recoloured
    QCOMPARE(dlg.sampleText(), QString("Sample Text!"));
}

void TestGradient::okInsertsTheGradient()
{
    TestFolders folders;
    EditArea edit;
    edit.setText("[sel]");
    edit.select(1, 3);
    GradFrm dlg(&edit);
    dlg.sample()->setPlainText("ab");
    dlg.sample()->moveCursor(QTextCursor::End);
    QTest::keyClick(dlg.sample(), Qt::Key_Return);  // one more character: a line break
    QCOMPARE(dlg.sampleText(), QString("ab\n"));
    QTest::mouseClick(child<QPushButton>(&dlg, "Command2"), Qt::LeftButton);
    QCOMPARE(edit.text(), QString("[<font color=#FFFFFF>a</font>\n<font color=#808080>b</font>\n"
                                  "<font color=#000000>\n</font>\n]"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
}

void TestGradient::okWithEmptySampleInsertsNothing()
{
    TestFolders folders;
    EditArea edit;
    edit.setText("keep");
    edit.select(0, 4);
    GradFrm dlg(&edit);
    dlg.sample()->clear();
    QTest::mouseClick(child<QPushButton>(&dlg, "Command1"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(&dlg, "Command2"), Qt::LeftButton);
    QCOMPARE(edit.text(), QString("keep"));
    QCOMPARE(dlg.result(), int(QDialog::Accepted));

    EditArea other;
    other.setText("keep");
    GradFrm closed(&other);
    closed.close();
    QCOMPARE(other.text(), QString("keep"));
}

QTEST_MAIN(TestGradient)
#include "test_gradient.moc"

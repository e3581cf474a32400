#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

#include "editing/tagnav.h"
#include "platform/editarea.h"

using TagNav::Span;

// Format of the character at pos.
static QTextCharFormat formatAt(EditArea &edit, int pos)
{
    QTextCursor c(edit.document());
    c.setPosition(pos + 1);
    return c.charFormat();
}

static QColor colorAt(EditArea &edit, int pos)
{
    return formatAt(edit, pos).foreground().color();
}

class TestTagNav : public QObject {
    Q_OBJECT
private slots:
    void nextTagPositions();
    void previousTagPositions();
    void spans();
    void jumpCommands();
    void tagColorShortText();
    void tagColorUnclosedAndNoTags();
    void tagColorLargePage();
    void markers();
};

void TestTagNav::nextTagPositions()
{
    const QString t = "<a href=x>y</a>z";
    QCOMPARE(TagNav::nextTag(t, 0, 0), (Span{0, 10}));
    // From inside a tag: the following tag, not the current one.
    QCOMPARE(TagNav::nextTag(t, 3, 0), (Span{11, 4}));
    // From a selection: its end counts.
    QCOMPARE(TagNav::nextTag(t, 0, 10), (Span{11, 4}));
    // No "<" after the caret: caret at the end, nothing selected.
    QCOMPARE(TagNav::nextTag(t, 15, 0), (Span{16, 0}));
    // "<" without a later ">": to the end of the text.
    QCOMPARE(TagNav::nextTag("ab<cd", 0, 0), (Span{2, 3}));
}

void TestTagNav::previousTagPositions()
{
    const QString t = "x<b>y</b>z";
    // Directly after a tag: that tag.
    QCOMPARE(TagNav::previousTag(t, 4), (Span{1, 3}));
    QCOMPARE(TagNav::previousTag(t, 9), (Span{5, 4}));
    QCOMPARE(TagNav::previousTag(t, 10), (Span{5, 4}));
    // Inside a tag: the complete one before it.
    QCOMPARE(TagNav::previousTag(t, 7), (Span{1, 3}));
    // Nothing complete before the caret.
    QCOMPARE(TagNav::previousTag(t, 3), std::nullopt);
    QCOMPARE(TagNav::previousTag(t, 0), std::nullopt);
    QCOMPARE(TagNav::previousTag("ab>cd", 5), std::nullopt);
    QCOMPARE(TagNav::previousTag(">", 1), std::nullopt);
}

void TestTagNav::spans()
{
    QCOMPARE(TagNav::tagSpans("a<b>c"), (std::vector<Span>{{1, 3}}));
    // A "<" inside a tag belongs to it; an unclosed "<" ends the scan.
    QCOMPARE(TagNav::tagSpans("<a<b>>x<i>y<z"), (std::vector<Span>{{0, 5}, {7, 3}}));
    QVERIFY(TagNav::tagSpans("no tags").empty());
}

void TestTagNav::jumpCommands()
{
    EditArea edit;
    edit.setText("<p>one</p>\n<p>two");
    QSignalSpy changes(&edit, &EditArea::textEdited);

    edit.setSelStart(1);
    TagNav::jumpNext(&edit);
    QCOMPARE(edit.selStart(), 6);
    QCOMPARE(edit.selText(), QString("</p>"));
    TagNav::jumpNext(&edit);
    QCOMPARE(edit.selText(), QString("<p>"));
    TagNav::jumpNext(&edit);
    QCOMPARE(edit.selStart(), edit.textLength());
    QCOMPARE(edit.selLength(), 0);

    TagNav::jumpBefore(&edit);
    QCOMPARE(edit.selStart(), 11);
    QCOMPARE(edit.selText(), QString("<p>"));
    TagNav::jumpBefore(&edit);
    QCOMPARE(edit.selText(), QString("</p>"));
    TagNav::jumpBefore(&edit);
    TagNav::jumpBefore(&edit);  // nothing before the first tag: stays
    QCOMPARE(edit.selStart(), 0);
    QCOMPARE(edit.selText(), QString("<p>"));

    edit.select(1, 2);
    TagNav::jumpBefore(&edit);
    QCOMPARE(edit.selStart(), 1);
    QCOMPARE(edit.selLength(), 2);
    QCOMPARE(changes.count(), 0);
}

void TestTagNav::tagColorShortText()
{
    EditArea edit;
    edit.setText("a<b>c");
    edit.select(0, 1);
    TagNav::hjSoin(&edit, 0);  // bold stays through the colouring
    QSignalSpy changes(&edit, &EditArea::textEdited);

    TagNav::tagColor(&edit);
    QCOMPARE(colorAt(edit, 0), QColor(0, 0, 0));
    for (int i = 1; i <= 3; ++i)
        QCOMPARE(colorAt(edit, i), QColor(0, 0, 255));
    QCOMPARE(colorAt(edit, 4), QColor(0, 0, 0));
    QCOMPARE(formatAt(edit, 0).fontWeight(), int(QFont::Bold));
    QCOMPARE(edit.selStart(), 1);
    QCOMPARE(edit.selText(), QString("<b>"));
    QCOMPARE(edit.text(), QString("a<b>c"));
    QCOMPARE(changes.count(), 0);
}

void TestTagNav::tagColorUnclosedAndNoTags()
{
    EditArea edit;
    edit.setText("<i>x</i> y < z");
    // Earlier colouring is reset to black.
    edit.select(9, 5);
    TagNav::hyIroin(&edit, 2);
    TagNav::tagColor(&edit);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(colorAt(edit, i), i == 3 ? QColor(0, 0, 0) : QColor(0, 0, 255));
    for (int i = 8; i < 14; ++i)
        QCOMPARE(colorAt(edit, i), QColor(0, 0, 0));
    QCOMPARE(edit.selText(), QString("</i>"));

    edit.setText("plain\ntext");
    TagNav::tagColor(&edit);
    QCOMPARE(edit.selStart(), 0);
    QCOMPARE(edit.selLength(), edit.textLength());
    QCOMPARE(colorAt(edit, 7), QColor(0, 0, 0));
}

void TestTagNav::tagColorLargePage()
{
    EditArea edit;
    QString page;
    for (int i = 0; i < 50000; ++i)
        page += QStringLiteral("<td>cell</td>\n");  // 100,000 tags, 0.7 MB
    edit.setText(page);
    QElapsedTimer t;
    t.start();
    TagNav::tagColor(&edit);
    // Generous bound: colouring tag by tag through the view takes far longer.
    QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
    const int last = edit.textLength() - 6;
    QCOMPARE(colorAt(edit, last), QColor(0, 0, 255));
    QCOMPARE(colorAt(edit, last - 1), QColor(0, 0, 0));
    QCOMPARE(edit.selStart(), last);
}

void TestTagNav::markers()
{
    EditArea edit;
    edit.setText("abcdef");
    QSignalSpy changes(&edit, &EditArea::textEdited);
    QVERIFY(!TagNav::markerSubmenusEnabled(&edit));

    edit.select(1, 2);
    QVERIFY(TagNav::markerSubmenusEnabled(&edit));
    const QList<QColor> colours = {QColor(0, 0, 0), QColor(0, 0, 255), QColor(255, 0, 0), QColor(0, 255, 0)};
    for (int i = 0; i < 4; ++i) {
        TagNav::hyIroin(&edit, i);
        QCOMPARE(colorAt(edit, 1), colours[i]);
    }
    QVERIFY(colorAt(edit, 0) != colours[3]);

    TagNav::hjSoin(&edit, 0);
    TagNav::hjSoin(&edit, 1);
    TagNav::hjSoin(&edit, 2);
    QTextCharFormat f = formatAt(edit, 2);
    QVERIFY(f.fontWeight() == QFont::Bold && f.fontItalic() && f.fontUnderline());
    QVERIFY(formatAt(edit, 3).fontWeight() != QFont::Bold);

    TagNav::hjSoin(&edit, 3);
    f = formatAt(edit, 2);
    QVERIFY(f.fontWeight() != QFont::Bold && !f.fontItalic() && !f.fontUnderline());
    QCOMPARE(f.fontPointSize(), 9.0);
    QCOMPARE(f.foreground().color(), colours[3]);  // the colour stays
    QCOMPARE(edit.text(), QString("abcdef"));
    QCOMPARE(changes.count(), 0);
}

QTEST_MAIN(TestTagNav)
#include "test_tagnav.moc"

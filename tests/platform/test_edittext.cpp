// The editing area's text as the program reads it: kept between changes, never stale
// after any kind of change, and each change reported where it happened.
#include "platform/editarea.h"
#include "testutil.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {

// What the document holds, read without the editing area's help.
QString documentText(const EditArea &e)
{
    QString t = e.document()->toRawText();
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return t;
}

struct Edit {
    int position, removed, added;
    QString text;
    bool operator==(const Edit &o) const
    {
        return position == o.position && removed == o.removed && added == o.added && text == o.text;
    }
};

}

class TestEditText : public QObject {
    Q_OBJECT

private slots:
    void textFollowsEveryKindOfChange()
    {
        EditArea e;
        e.setText("一行目\n二行目");
        QCOMPARE(e.text(), QString("一行目\n二行目"));

        // Each way the document can change, with the text read in between so that a kept
        // copy would show if it went stale.
        const QList<std::pair<const char *, std::function<void()>>> changes = {
            {"typed", [&] { e.setSelStart(3); QTest::keyClicks(&e, "ab"); }},
            {"Return", [&] { QTest::keyClick(&e, Qt::Key_Return); }},
            {"Backspace", [&] { QTest::keyClick(&e, Qt::Key_Backspace); }},
            {"selection replaced", [&] { e.select(0, 2); e.setSelText("X\nY"); }},
            {"wrapped", [&] { e.select(0, 1); e.wrap("<b>", "</b>"); }},
            {"inserted", [&] { e.setSelStart(1); e.insertPlainText("貼\n付"); }},
            {"rich text", [&] { e.setSelRichText("<p>一</p><p>二</p>"); }},
            {"document set directly", [&] { e.document()->setPlainText("直接\n設定"); }},
            {"cleared", [&] { e.clear(); }},
            {"set again", [&] { e.setText("最後\u00a0の\n行"); }},
        };
        for (const auto &[what, change] : changes) {
            const quint64 before = e.revision();
            (void)e.text();
            change();
            QVERIFY2(e.revision() != before, what);
            QCOMPARE(e.text(), documentText(e));
            QCOMPARE(e.textLength(), int(e.text().size()));
        }
        QCOMPARE(e.text(), QString("最後\u00a0の\n行"));  // no-break spaces kept as typed
    }

    void formattingIsNoChange()
    {
        EditArea e;
        e.setText("<b>太字</b>\nabc");
        QSignalSpy edited(&e, &EditArea::textEdited);
        QSignalSpy steps(&e, &EditArea::contentsEdited);
        const quint64 revision = e.revision();
        const QString text = e.text();
        e.select(0, 6);
        e.setSelectionColor(Qt::blue);
        e.formatDisplay([&] {
            QTextCursor c(e.document());
            c.select(QTextCursor::Document);
            QTextCharFormat f;
            f.setFontWeight(QFont::Bold);
            c.mergeCharFormat(f);
        });
        QCOMPARE(e.revision(), revision);
        QCOMPARE(edited.count(), 0);
        QCOMPARE(steps.count(), 0);
        QCOMPARE(e.text(), text);
        QVERIFY(e.text().isSharedWith(text));  // nothing was rebuilt
    }

    void eachChangeIsReportedWhereItHappened()
    {
        EditArea e;
        e.setText("abc\ndef");
        QList<Edit> seen;
        connect(&e, &EditArea::contentsEdited, this, [&](int p, int r, int a) {
            seen << Edit{p, r, a, e.textRange(p, a)};
        });
        QSignalSpy edited(&e, &EditArea::textEdited);

        e.setSelStart(5);
        QTest::keyClicks(&e, "x");
        QCOMPARE(seen, QList<Edit>({{5, 0, 1, "x"}}));
        QCOMPARE(edited.count(), 1);

        seen.clear();
        e.select(1, 4);  // "bc\nd"
        e.setSelText("Z\n");
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].position, 1);
        QCOMPARE(seen[0].removed, 4);
        QCOMPARE(seen[0].text, QString("Z\n"));
        QCOMPARE(e.text(), QString("aZ\nxef"));

        // A command of two steps: two reports, one change for the handler.
        seen.clear();
        edited.clear();
        e.select(0, 1);
        e.wrap("<i>", "</i>");
        QCOMPARE(edited.count(), 1);
        QVERIFY(!seen.isEmpty());
        QCOMPARE(e.text(), QString("<i>a</i>Z\nxef"));

        // Reading a range clamps to the text, with or without a kept copy.
        (void)e.text();
        QCOMPARE(e.textRange(8, 100), QString("Z\nxef"));
        e.setSelStart(0);
        QTest::keyClicks(&e, "!");
        QCOMPARE(e.textRange(-3, 4), QString("!<i>"));
        QCOMPARE(e.textRange(9, 3), QString("Z\nx"));
    }
};

QTEST_MAIN(TestEditText)
#include "test_edittext.moc"

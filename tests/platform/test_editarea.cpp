// The editing area through the vocabulary the rest of the program uses: the insertion
// rules at the edges of the text, what text() hands out, when the change signal fires.
#include "platform/editarea.h"
#include "testutil.h"

#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTextCharFormat>
#include <QtTest>

namespace {
// Reaches the editor's paste and drop entry point without the system clipboard.
class Probe : public EditArea {
public:
    using EditArea::insertFromMimeData;
};
}

class TestEditArea : public QObject {
    Q_OBJECT
private slots:
    void insertionRulesAtBothEnds()
    {
        EditArea edit;
        edit.setText(QStringLiteral("abc"));

        // Rule A on the first character: the caret ends after the end text.
        edit.select(0, 1);
        edit.wrap(QStringLiteral("<b>"), QStringLiteral("</b>"));
        QCOMPARE(edit.text(), QStringLiteral("<b>a</b>bc"));
        QCOMPARE(edit.selStart(), 8);
        QCOMPARE(edit.selLength(), 0);

        // Rule A' on the last character: the caret stands before the end text.
        edit.select(edit.textLength() - 1, 1);
        edit.wrapStepBack(QStringLiteral("<i>"), QStringLiteral("</i>"));
        QCOMPARE(edit.text(), QStringLiteral("<b>a</b>b<i>c</i>"));
        QCOMPARE(edit.selStart(), edit.textLength() - 4);

        // Nothing selected at the very end: the pair goes in empty.
        edit.setSelStart(edit.textLength());
        edit.wrapStepBack(QStringLiteral("<u>"), QStringLiteral("</u>"));
        QVERIFY(edit.text().endsWith(QStringLiteral("<u></u>")));
        QCOMPARE(edit.selStart(), edit.textLength() - 4);

        // Rule B at the start, and a selection running past the end is cut at the end.
        edit.setSelStart(0);
        edit.insert(QStringLiteral("<br>"));
        QCOMPARE(edit.selStart(), 4);
        edit.select(edit.textLength() - 2, 100);
        QCOMPARE(edit.selLength(), 2);
        edit.select(-5, 2);
        QCOMPARE(edit.selStart(), 0);
        QCOMPARE(edit.selLength(), 2);

        // The same through one Insertion value.
        edit.setText(QStringLiteral("xy"));
        edit.select(0, 2);
        edit.apply(Insertion::wrapping(QStringLiteral("<p>"), QStringLiteral("</p>")));
        QCOMPARE(edit.text(), QStringLiteral("<p>xy</p>"));
        edit.select(0, 3);
        edit.apply(Insertion::replacing(QStringLiteral("<div>")));
        QCOMPARE(edit.text(), QStringLiteral("<div>xy</p>"));
    }

    void textKeepsWhatWasTyped()
    {
        EditArea edit;
        // No-break spaces, line separators and CR-free line breaks come back unchanged.
        const QString typed = QStringLiteral("a\u00A0b&nbsp;\nc\u2028d\n\ne");
        edit.setText(typed);
        QCOMPARE(edit.text(), typed);
        QCOMPARE(edit.textLength(), int(typed.size()));
        edit.select(0, 5);
        QCOMPARE(edit.selText(), QStringLiteral("a\u00A0b&n"));
        edit.select(9, 4);
        QCOMPARE(edit.selText(), QStringLiteral("\nc\u2028d"));
    }

    void loadingReplacesTheWholeText_data()
    {
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QString>("shown");  // what the editor makes of it
        QTest::newRow("plain") << QStringLiteral("<p>一</p>\n\n<b>\u00A0</b>\u2028x") << QStringLiteral("<p>一</p>\n\n<b>\u00A0</b>\u2028x");
        QTest::newRow("empty") << QString() << QString();
        // Characters the editor itself takes as line breaks (CR LF as one).
        QTest::newRow("breaks") << QStringLiteral("a\r\nb\rc\u2029d\uFDD0e\uFDD1f") << QStringLiteral("a\nb\nc\nd\ne\nf");
    }
    void loadingReplacesTheWholeText()
    {
        QFETCH(QString, loaded);
        QFETCH(QString, shown);
        EditArea edit;
        edit.resize(300, 200);
        edit.show();
        edit.setText(QStringLiteral("old <b>text</b>\nof many\nlines"));
        edit.select(4, 3);
        edit.setSelectionColor(Qt::red);
        QSignalSpy changes(&edit, &EditArea::textEdited);
        QSignalSpy filling(&edit, &EditArea::filling);
        QTextCharFormat black;
        black.setForeground(Qt::black);
        const quint64 revision = edit.revision();

        edit.setText(loaded, EditArea::Fill::Load, black);
        QCOMPARE(changes.count(), 1);
        QVERIFY(edit.revision() > revision);
        QCOMPARE(filling.count(), 1);
        if (shown == loaded)  // the gutter is told the number of lines before they arrive
            QCOMPARE(filling.at(0).at(0).toInt(), edit.blockCount());
        QCOMPARE(edit.text(), shown);
        QCOMPARE(edit.textLength(), int(shown.size()));
        QCOMPARE(edit.textRange(0, 3), shown.left(3));
        QCOMPARE(edit.selStart(), 0);
        QCOMPARE(edit.selLength(), 0);
        // The text as the document holds it, read afresh, is the same.
        QString fresh = edit.document()->toRawText();
        fresh.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        QCOMPARE(fresh, shown);
        // Every character and every line in the given format; nothing of the old colours.
        for (QTextBlock b = edit.document()->firstBlock(); b.isValid(); b = b.next()) {
            QCOMPARE(b.charFormat().foreground().color(), QColor(Qt::black));
            for (auto it = b.begin(); !it.atEnd(); ++it)
                QCOMPARE(it.fragment().charFormat(), QTextCharFormat(black));
        }
        QCOMPARE(edit.verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);

        // Edits after a load are followed as always.
        edit.setSelStart(edit.textLength());
        edit.insert(QStringLiteral("!"));
        QCOMPARE(edit.text(), shown + QStringLiteral("!"));
        QCOMPARE(changes.count(), 2);
    }

    void loadingALongTextKeepsTheWidthAndShowsTheTop()
    {
        EditArea edit;
        edit.resize(400, 300);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QString page;
        for (int i = 0; i < 3000; ++i)
            page += QStringLiteral("<p>line %1</p>\n").arg(i);
        // While the lines arrive the text area already has the width it keeps: the scroll bar
        // is there before them.
        int widthWhileFilling = -1;
        connect(edit.document(), &QTextDocument::contentsChange, &edit, [&](int, int, int added) {
            if (added > 0)
                widthWhileFilling = edit.viewport()->width();
        });
        edit.setText(page, EditArea::Fill::Load);
        QCoreApplication::processEvents();
        QVERIFY(edit.verticalScrollBar()->isVisible());
        QCOMPARE(widthWhileFilling, edit.viewport()->width());

        // Loading again while scrolled down shows the new text from its top.
        edit.verticalScrollBar()->setValue(2000);
        edit.setSelStart(edit.textLength());
        edit.setText(page.left(page.size() / 2), EditArea::Fill::Load);
        QCoreApplication::processEvents();
        QCOMPARE(edit.verticalScrollBar()->value(), 0);
        QCOMPARE(edit.firstVisible().blockNumber(), 0);
        QCOMPARE(widthWhileFilling, edit.viewport()->width());
        // A short text lets the scroll bar go again.
        edit.setText(QStringLiteral("short"), EditArea::Fill::Load);
        QCoreApplication::processEvents();
        QVERIFY(!edit.verticalScrollBar()->isVisible());
        QCOMPARE(edit.verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
    }

    void changeSignal()
    {
        EditArea edit;
        QSignalSpy changes(&edit, &EditArea::textEdited);

        // Every load is one change, also of an empty text into an empty area; the caret at 0.
        edit.setText(QString());
        QCOMPARE(changes.count(), 1);
        edit.setText(QStringLiteral("one\ntwo"));
        QCOMPARE(changes.count(), 2);
        QCOMPARE(edit.selStart(), 0);

        // Nested one-change groups: a single signal once the outermost ends.
        edit.oneChange([&] {
            edit.insert(QStringLiteral("a"));
            edit.oneChange([&] {
                edit.insert(QStringLiteral("b"));
                edit.insert(QStringLiteral("c"));
            });
            QCOMPARE(changes.count(), 2);
            edit.insert(QStringLiteral("d"));
        });
        QCOMPARE(changes.count(), 3);
        QCOMPARE(edit.text(), QStringLiteral("abcdone\ntwo"));

        // A group that changes nothing, and replacing nothing with nothing, say nothing.
        edit.oneChange([] {});
        edit.setSelStart(2);
        edit.insert(QString());
        QCOMPARE(changes.count(), 3);

        // Display formatting never counts as a change and leaves the text alone.
        edit.select(0, 3);
        edit.setSelectionColor(Qt::red);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        edit.mergeSelectionFormat(bold);
        edit.formatDisplay([&] {
            QTextCursor c(edit.document());
            c.select(QTextCursor::Document);
            QTextCharFormat f;
            f.setForeground(Qt::blue);
            c.mergeCharFormat(f);
        });
        QCOMPARE(changes.count(), 3);
        QCOMPARE(edit.text(), QStringLiteral("abcdone\ntwo"));

        // Text typed after formatted text takes the plain look.
        edit.setSelStart(3);
        edit.insert(QStringLiteral("X"));
        QTextCursor c(edit.document());
        c.setPosition(4);
        QVERIFY(!c.charFormat().hasProperty(QTextFormat::ForegroundBrush));
        QVERIFY(c.charFormat().fontWeight() != QFont::Bold);
        QCOMPARE(changes.count(), 4);
    }

    void theCaretStaysOnWhileKeysCome()
    {
        // The caret blinks again only once the keys stop: typing faster than it blinks
        // repaints the line once per key and never in between.
        if (!EditArea::QuietFormats)
            QSKIP("needs Qt's private widget interface");
        QStyleHints *hints = QGuiApplication::styleHints();
        const int flash = hints->cursorFlashTime();
        hints->setCursorFlashTime(300);  // a blink every 150 ms
        EditArea edit;
        edit.setText(QStringLiteral("<p>abc</p>"));
        edit.resize(400, 200);
        edit.show();
        edit.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&edit));
        edit.setFocus();
        PaintCount paints;
        edit.viewport()->installEventFilter(&paints);
        QTest::qWait(50);
        paints.count = 0;
        const int keys = 20;
        for (int i = 0; i < keys; ++i) {
            QTest::keyClick(&edit, Qt::Key_X);
            QTest::qWait(60);
        }
        hints->setCursorFlashTime(flash);
        // Blinking through the keys would add about eight repaints.
        QVERIFY2(paints.count <= keys + 2, qPrintable(QString::number(paints.count)));
    }

    void pastedRichTextArrivesPlain()
    {
        Probe edit;
        edit.setText(QStringLiteral("[]"));
        QSignalSpy changes(&edit, &EditArea::textEdited);

        QMimeData rich;
        rich.setHtml(QStringLiteral("<b>太字</b> and <i>more</i>"));
        rich.setText(QStringLiteral("太字 and more"));
        edit.setSelStart(1);
        edit.insertFromMimeData(&rich);
        QCOMPARE(edit.text(), QStringLiteral("[太字 and more]"));
        QCOMPARE(changes.count(), 1);
        QTextCursor c(edit.document());
        c.setPosition(2);
        QVERIFY(c.charFormat().fontWeight() != QFont::Bold);

        // Something without text (a picture, bare HTML) keeps the selection as it is.
        QMimeData htmlOnly;
        htmlOnly.setHtml(QStringLiteral("<img src='x.png'>"));
        edit.select(0, 1);
        edit.insertFromMimeData(&htmlOnly);
        QMimeData empty;
        empty.setText(QString());
        edit.insertFromMimeData(&empty);
        QCOMPARE(edit.text(), QStringLiteral("[太字 and more]"));
        QCOMPARE(edit.selLength(), 1);
        QCOMPARE(changes.count(), 1);
    }
};

QTEST_MAIN(TestEditArea)
#include "test_editarea.moc"

// Very long lines in the editing area: shown as several display lines, while the text, the
// positions, the change reports and everything copied or printed see each line whole.
#include "platform/editarea.h"
#include "platform/printing.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTextDocument>
#include <QtTest>
#include <memory>

namespace {

class Probe : public EditArea {
public:
    using EditArea::createMimeDataFromSelection;
    using EditArea::insertFromMimeData;
};

// A minified page: tags and words without line breaks, n characters or a little more.
QString minified(int n, const QString &word = QStringLiteral("日本語の文"))
{
    QString s = QStringLiteral("<html><body>");
    for (int i = 0; s.size() < n; ++i)
        s += QStringLiteral("<p class=\"a%1\">%2 %1</p>").arg(i).arg(word);
    return s;
}

using Edit = QList<int>;  // position, removed, added of one contentsEdited

Edit lastEdit(const QSignalSpy &spy)
{
    const QList<QVariant> &a = spy.last();
    return {a[0].toInt(), a[1].toInt(), a[2].toInt()};
}

}  // namespace

class TestLongLines : public QObject {
    Q_OBJECT
private slots:
    void cutsFallAfterTagsAndSpacesAndNeverInsideACharacter()
    {
        // Lines up to the limit stay whole; the next character makes it a long line.
        const QString limit(EditArea::LongLine, QLatin1Char('x'));
        QVERIFY(EditArea::softBreakPoints(limit + "\n" + limit).empty());
        QVERIFY(!EditArea::softBreakPoints(limit + "x").empty());

        const QString page = QStringLiteral("<p>short</p>\n") + minified(30000) + QStringLiteral("\n<p>end</p>");
        const std::vector<int> cuts = EditArea::softBreakPoints(page);
        QVERIFY(cuts.size() > 20);
        const int lineStart = int(page.indexOf('\n')) + 1;
        const int lineEnd = int(page.lastIndexOf('\n'));
        int previous = lineStart;
        for (const int cut : cuts) {
            QVERIFY(cut > lineStart && cut < lineEnd);  // only the long line
            const QChar before = page[cut - 1];
            QVERIFY2(before == '>' || before == ' ', qPrintable(page.mid(cut - 10, 20)));
            QVERIFY(cut - previous >= EditArea::Segment / 2 && cut - previous <= 2 * EditArea::Segment);
            previous = cut;
        }
        QVERIFY(lineEnd - previous <= 2 * EditArea::Segment);

        // Nowhere to cut nicely: a pair of surrogates stays together.
        QString faces;
        for (int i = 0; i < 8000; ++i)
            faces += QString::fromUcs4(U"\U0001F600");
        for (const int cut : EditArea::softBreakPoints(faces))
            QVERIFY(!faces[cut].isLowSurrogate());
    }

    void normalPagesHaveNoSoftBreaks()
    {
        EditArea edit;
        QString page;
        for (int i = 0; i < 2000; ++i)
            page += QStringLiteral("<p>行 %1</p>\n").arg(i);
        page += QString(EditArea::LongLine, QLatin1Char('y'));
        edit.setText(page);
        QCOMPARE(edit.softBreakCount(), 0);
        QCOMPARE(edit.lineCount(), edit.blockCount());
        QCOMPARE(edit.docPosition(12345), 12345);
        QCOMPARE(edit.lineOf(edit.textLength()), 2000);
        QCOMPARE(edit.columnOf(edit.textLength()), EditArea::LongLine);
    }

    void theTextAndItsPositionsStayWhole()
    {
        EditArea edit;
        const QString line = minified(50000);
        const QString page = QStringLiteral("<!DOCTYPE html>\n") + line + QStringLiteral("\n<p>after</p>\n");
        edit.setText(page);
        QVERIFY(edit.softBreakCount() > 30);
        QCOMPARE(edit.text(), page);
        QCOMPARE(edit.textLength(), page.size());
        QCOMPARE(edit.lineCount(), 4);
        QCOMPARE(edit.document()->blockCount(), 4 + edit.softBreakCount());

        // Ranges read from the document (nothing cached) across several soft breaks.
        edit.select(0, 0);
        edit.insert(QString());  // no change
        const int from = 16 + 1500, length = 7000;
        edit.select(from, length);
        QCOMPARE(edit.selStart(), from);
        QCOMPARE(edit.selLength(), length);
        QCOMPARE(edit.selText(), page.mid(from, length));
        QCOMPARE(edit.textRange(from, length), page.mid(from, length));

        // Every soft break maps both ways, and positions at a break select nothing extra.
        for (int k = 0; k < edit.softBreakCount(); ++k) {
            const int doc = edit.softBreaks()[size_t(k)];
            const int at = edit.textPosition(doc);
            QCOMPARE(edit.docPosition(at), doc + 1);  // the display line after the break
            edit.select(at - 1, 2);
            QCOMPARE(edit.selText(), page.mid(at - 1, 2));
            edit.setSelStart(at);
            QCOMPARE(edit.selStart(), at);
            QCOMPARE(edit.caretPosition(), at);
        }

        // A backward selection keeps its direction.
        edit.setCaret(9000, 3000);
        QCOMPARE(edit.anchorPosition(), 9000);
        QCOMPARE(edit.caretPosition(), 3000);
        QCOMPARE(edit.selText(), page.mid(3000, 6000));

        // Lines and columns are the text's: the long line is line 1 however it is shown.
        QCOMPARE(edit.lineOf(16 + 30000), 1);
        QCOMPARE(edit.columnOf(16 + 30000), 30000);
        const int after = int(page.indexOf(QStringLiteral("<p>after")));
        QCOMPARE(edit.lineOf(after), 2);
        QCOMPARE(edit.columnOf(after + 3), 3);
        QCOMPARE(edit.lineStart(1), 16);
        QCOMPARE(edit.lineStart(2), after);
        int numbered = 0;
        for (QTextBlock b = edit.document()->firstBlock(); b.isValid(); b = b.next()) {
            if (!edit.isContinuation(b))
                QCOMPARE(edit.lineNumber(b), numbered++);
            else
                QCOMPARE(edit.lineNumber(b), 1);
        }
        QCOMPARE(numbered, 4);
    }

    void editsAtAndAcrossSoftBreaksChangeTheRealCharacters()
    {
        EditArea edit;
        edit.show();
        QString page = minified(30000);
        edit.setText(page);
        QSignalSpy spy(&edit, &EditArea::contentsEdited);
        const int at = edit.textPosition(edit.softBreaks()[3]);

        // Typing at a break.
        edit.setSelStart(at);
        QTest::keyClicks(&edit, "Q");
        page.insert(at, 'Q');
        QCOMPARE(edit.text(), page);
        QCOMPARE(lastEdit(spy), (Edit{at, 0, 1}));

        // Backspace at the start of a display line takes the character before the break;
        // Delete at the end of one the character after it.
        const int b = edit.textPosition(edit.softBreaks()[5]);
        edit.setSelStart(b);
        QVERIFY(edit.isContinuation(edit.textCursor().block()));
        QTest::keyClick(&edit, Qt::Key_Backspace);
        page.remove(b - 1, 1);
        QCOMPARE(edit.text(), page);
        QCOMPARE(lastEdit(spy), (Edit{b - 1, 1, 0}));
        QCOMPARE(edit.selStart(), b - 1);

        const int d = edit.softBreaks()[7];
        QTextCursor end = edit.textCursor();
        end.setPosition(d);  // the end of a display line, before its soft break
        edit.setTextCursor(end);
        const int t = edit.caretPosition();
        QTest::keyClick(&edit, Qt::Key_Delete);
        page.remove(t, 1);
        QCOMPARE(edit.text(), page);
        QCOMPARE(lastEdit(spy), (Edit{t, 1, 0}));

        // The arrows step one character over a break, not zero.
        const int c = edit.textPosition(edit.softBreaks()[9]);
        edit.setSelStart(c - 1);
        QTest::keyClick(&edit, Qt::Key_Right);
        QCOMPARE(edit.caretPosition(), c);
        QTest::keyClick(&edit, Qt::Key_Right);
        QCOMPARE(edit.caretPosition(), c + 1);
        QTest::keyClick(&edit, Qt::Key_Left);
        QTest::keyClick(&edit, Qt::Key_Left);
        QCOMPARE(edit.caretPosition(), c - 1);

        // A selection over several breaks replaced: only real characters are reported.
        const int from = edit.textPosition(edit.softBreaks()[10]) - 10;
        const int length = 2500;
        edit.select(from, length);
        edit.setSelText(QStringLiteral("<br>"));
        page.replace(from, length, QStringLiteral("<br>"));
        QCOMPARE(edit.text(), page);
        QCOMPARE(lastEdit(spy), (Edit{from, length, 4}));
        QCOMPARE(edit.selStart(), from + 4);

        // The same through replaceRange (the history's way back) and with a line break.
        edit.replaceRange(from, 4, QStringLiteral("a\nb"));
        page.replace(from, 4, QStringLiteral("a\nb"));
        QCOMPARE(edit.text(), page);
        QCOMPARE(lastEdit(spy), (Edit{from, 4, 3}));
        QCOMPARE(edit.lineCount(), 2);
        QCOMPARE(edit.lineOf(from + 2), 1);
        QCOMPARE(edit.columnOf(from + 2), 0);
    }

    void displayLinesAreCutAndJoinedAsFormattingOnly()
    {
        Probe edit;
        edit.show();
        const QString almost(EditArea::LongLine - 4, QLatin1Char('a'));
        edit.setText(almost + QStringLiteral(" <b>"));
        QCOMPARE(edit.softBreakCount(), 0);
        QSignalSpy edited(&edit, &EditArea::textEdited);
        QSignalSpy reports(&edit, &EditArea::contentsEdited);
        edit.setSelStart(5);
        QTest::keyClicks(&edit, "xyz");  // the line grows past the limit
        QVERIFY(edit.softBreakCount() > 0);
        QCOMPARE(edited.count(), 3);     // one per key, none for the cut
        QCOMPARE(reports.count(), 3);
        const quint64 revision = edit.revision();
        QCOMPARE(edit.text(), almost.left(5) + "xyz" + almost.mid(5) + " <b>");
        QCOMPARE(edit.revision(), revision);

        // A pasted line of megabyte size arrives cut already.
        const QString big = minified(1'000'000);
        QMimeData data;
        data.setText(big);
        edit.setSelStart(0);
        edit.insertFromMimeData(&data);
        QVERIFY(edit.softBreakCount() > 900);
        QCOMPARE(edit.text().left(big.size()), big);
        QCOMPARE(lastEdit(reports), (Edit{0, 0, int(big.size())}));

        // Emptying a display line joins it with its neighbour, also silently.
        const int count = edit.softBreakCount();
        const int start = edit.textPosition(edit.softBreaks()[4]);
        const int length = edit.textPosition(edit.softBreaks()[5]) - start;
        const QString before = edit.text();
        edit.select(start, length);
        QTest::keyClick(&edit, Qt::Key_Delete);
        QCOMPARE(edit.softBreakCount(), count - 1);
        QCOMPARE(edit.text(), before.left(start) + before.mid(start + length));
        QCOMPARE(lastEdit(reports), (Edit{start, length, 0}));
    }

    void theDisplayLineClickedOrEditedIsCutFinelyAsFormattingOnly()
    {
        Probe edit;
        edit.resize(800, 400);
        edit.show();
        const QString page = minified(30000);
        edit.setText(page);
        QSignalSpy edited(&edit, &EditArea::textEdited);
        QSignalSpy reports(&edit, &EditArea::contentsEdited);
        const quint64 revision = edit.revision();

        // A click into a long display line cuts that line into short pieces, and only that.
        const int before = edit.softBreakCount();
        const QTextBlock clicked = edit.document()->findBlockByNumber(5);
        QVERIFY(clicked.length() > 400);
        const int clickedAt = clicked.position();
        const int nextLength = clicked.next().length();
        const QRectF r = edit.blockRect(clicked);
        QTest::mouseClick(edit.viewport(), Qt::LeftButton, {}, QPoint(40, int(r.center().y())));
        const int caret = edit.caretPosition();
        QTRY_VERIFY(edit.softBreakCount() > before);
        const int pieces = edit.softBreakCount() - before + 1;
        QCOMPARE(edit.document()->findBlockByNumber(5).position(), clickedAt);
        for (int k = 0; k < pieces; ++k)
            QVERIFY(edit.document()->findBlockByNumber(5 + k).length() < 200);
        QCOMPARE(edit.document()->findBlockByNumber(5 + pieces).length(), nextLength);
        QCOMPARE(edit.caretPosition(), caret);
        QCOMPARE(edit.text(), page);
        QCOMPARE(edit.revision(), revision);
        QCOMPARE(edited.count(), 0);
        QCOMPARE(reports.count(), 0);

        // Moving the caret by itself cuts nothing; the first key typed there does, and only
        // the key is reported.
        const int count = edit.softBreakCount();
        const int at = edit.textPosition(edit.document()->findBlockByNumber(40).position()) + 60;
        edit.setSelStart(at);
        QCOMPARE(edit.softBreakCount(), count);
        QTest::keyClicks(&edit, "x");
        QVERIFY(edit.softBreakCount() > count);
        QVERIFY(edit.textCursor().block().length() < 200);
        QCOMPARE(edit.caretPosition(), at + 1);
        QCOMPARE(edit.text(), page.left(at) + "x" + page.mid(at));
        QCOMPARE(reports.count(), 1);
        QCOMPARE(lastEdit(reports), (Edit{at, 0, 1}));
        QCOMPARE(edited.count(), 1);

        // A selection made with the mouse is left as it is shown.
        const int selecting = edit.softBreakCount();
        const QRectF s = edit.blockRect(edit.document()->findBlockByNumber(80));
        QTest::mousePress(edit.viewport(), Qt::LeftButton, {}, QPoint(40, int(s.center().y())));
        QTest::mouseMove(edit.viewport(), QPoint(200, int(s.center().y())));
        QTest::mouseRelease(edit.viewport(), Qt::LeftButton, {}, QPoint(200, int(s.center().y())));
        QCoreApplication::processEvents();
        QCOMPARE(edit.softBreakCount(), selecting);
    }

    void copiesAndPrintsCarryNoSoftBreak()
    {
        Probe edit;
        const QString page = minified(25000) + QStringLiteral("\nnext line");
        edit.setText(page);
        QVERIFY(edit.softBreakCount() > 10);
        edit.select(100, 20000);
        const std::unique_ptr<QMimeData> data(edit.createMimeDataFromSelection());
        QCOMPARE(data->text(), page.mid(100, 20000));

        // Printing: the selection, then the whole text, each long line as one paragraph.
        std::unique_ptr<QTextDocument> printed(Printing::documentToPrint(&edit));
        QCOMPARE(printed->toPlainText(), page.mid(100, 20000));
        edit.setSelStart(0);
        printed.reset(Printing::documentToPrint(&edit));
        QCOMPARE(printed->toPlainText(), page);
        QCOMPARE(printed->blockCount(), 2);
    }
};

QTEST_MAIN(TestLongLines)
#include "test_longlines.moc"

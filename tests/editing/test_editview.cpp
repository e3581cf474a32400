// The editing surface on a real editing area: live colours that stay lazy on large pages
// and agree with a fresh reading after edits, the user's colours winning over them,
// whitespace marks that stay out of the text, matching pairs, zoom and the options.
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QtTest>

#include "editing/editview.h"
#include "editing/livehighlight.h"
#include "editing/scheme.h"
#include "editing/syntax.h"
#include "editing/tagnav.h"
#include "platform/editarea.h"
#include "testutil.h"

namespace {

// The colour a character shows: the live colour over the character's own format.
QColor shownColour(EditArea &edit, int pos)
{
    const QTextBlock b = edit.document()->findBlock(pos);
    const int rel = pos - b.position();
    QTextCursor c(edit.document());
    c.setPosition(pos + 1);
    QColor colour = c.charFormat().foreground().color();
    for (const QTextLayout::FormatRange &r : b.layout()->formats())
        if (rel >= r.start && rel < r.start + r.length && r.format.hasProperty(QTextFormat::ForegroundBrush))
            colour = r.format.foreground().color();
    return colour;
}

QColor live(Syntax::Kind k)
{
    return Scheme::colour(k, false);
}

// A page of n lines with tags, attributes, a style block and a script.
QString page(int lines)
{
    QString s = "<!DOCTYPE html>\n<style>\np { color: red }\n</style>\n<script>\nvar a = '<b>';\n</script>\n";
    for (int i = 0; i < lines; ++i)
        s += QStringLiteral("<p class=\"c%1\">行 %1 &amp; <b>x</b></p>\n").arg(i);
    return s;
}

// Every block's stored end state equals a fresh reading of the whole text.
bool statesAgree(EditArea &edit)
{
    int state = Syntax::InitialState;
    for (QTextBlock b = edit.document()->firstBlock(); b.isValid(); b = b.next()) {
        state = b.text().size() > LiveHighlighter::MaxLineLength ? Syntax::InitialState
                                                                 : Syntax::tokenizeLine(b.text(), state, nullptr);
        if (b.userState() < 0 || (b.userState() & ((1 << 28) - 1)) != state) {
            qWarning("block %d: stored %d, fresh %d", b.blockNumber(), b.userState(), state);
            return false;
        }
    }
    return true;
}

}

class TestEditView : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolders> folders;
    std::unique_ptr<EditArea> edit;
    EditView *view = nullptr;

private slots:
    void init()
    {
        folders = std::make_unique<TestFolders>();
        edit = std::make_unique<EditArea>();
        edit->resize(600, 400);
        view = new EditView(edit.get());
        edit->show();
        QVERIFY(QTest::qWaitForWindowExposed(edit.get()));
    }
    void cleanup()
    {
        edit.reset();
        folders.reset();
    }

    void coloursFollowTheText();
    void lazyOnLargePages();
    void editsAgreeWithAFreshReading();
    void userColoursWin();
    void offLooksAsBefore();
    void displayIsNoChange();
    void matchingPairsAndJump();
    void zoomAndOptions();
    void aLoadedPageFindsTheGutterReady();
    void theGutterRepaintsWhenItsNumbersMove();
    void longLinesAreColouredInDisplayLines();
};

void TestEditView::coloursFollowTheText()
{
    edit->setText("<a href=\"x\">&amp;</a>\n<!-- c");
    view->highlighter()->finish();
    edit->repaint();
    QCOMPARE(shownColour(*edit, 1), live(Syntax::Kind::TagName));
    QCOMPARE(shownColour(*edit, 3), live(Syntax::Kind::AttrName));
    QCOMPARE(shownColour(*edit, 9), live(Syntax::Kind::AttrValue));
    QCOMPARE(shownColour(*edit, 12), live(Syntax::Kind::CharRef));
    // Typing changes the colours at once.
    edit->setSelStart(12);
    QTest::keyClicks(edit.get(), "<!--");
    edit->repaint();
    QCOMPARE(shownColour(*edit, 12), live(Syntax::Kind::Comment));
    QCOMPARE(shownColour(*edit, 20), live(Syntax::Kind::Comment));  // "</a>" is inside the comment now

    // A key in a shown line colours it within the edit, so that the line is laid out once, and
    // leaves the lines below laid out as they were.
    if (EditArea::QuietFormats) {
        edit->setText("<p>abcdef</p>\n<p>b</p>\n<p>c</p>");
        view->highlighter()->finish();
        edit->repaint();
        edit->setSelStart(3);
        QTest::keyClicks(edit.get(), "<b c");  // "<p><b cabcdef</p>"
        QCOMPARE(shownColour(*edit, 4), live(Syntax::Kind::TagName));  // before any paint
        QCOMPARE(shownColour(*edit, 7), live(Syntax::Kind::AttrName));
        QVERIFY(edit->document()->firstBlock().layout()->lineCount() > 0);
        QVERIFY(edit->document()->firstBlock().next().layout()->lineCount() > 0);
        edit->repaint();
        QCOMPARE(shownColour(*edit, 7), live(Syntax::Kind::AttrName));
    }
}

void TestEditView::lazyOnLargePages()
{
    // 100,000 lines: loading colours only what is shown; the rest follows when idle.
    edit->setText(page(100000));
    edit->repaint();
    QTextDocument *doc = edit->document();
    QVERIFY(!doc->firstBlock().next().layout()->formats().isEmpty());
    QVERIFY(doc->findBlockByNumber(90000).layout()->formats().isEmpty());
    QVERIFY(view->highlighter()->isPending());

    // Opening a comment at the top is cheap too: lines far below are redone when idle.
    view->highlighter()->finish();
    QElapsedTimer t;
    t.start();
    edit->setSelStart(0);
    QTest::keyClicks(edit.get(), "<!--");
    edit->repaint();
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(view->highlighter()->isPending());
    QCOMPARE(shownColour(*edit, doc->findBlockByNumber(12).position() + 1), live(Syntax::Kind::Comment));
    view->highlighter()->finish();
    QVERIFY(statesAgree(*edit));
}

void TestEditView::editsAgreeWithAFreshReading()
{
    edit->setText(page(300));
    view->highlighter()->finish();
    // Edits anywhere, some of which change what follows (comments, script, quotes).
    const QStringList inserts = {"<!--", "-->", "<script>", "</script>", "\"", "<style>", "\n", "x", "'", "/*"};
    quint32 seed = 7;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % quint32(n));
    };
    for (int round = 0; round < 60; ++round) {
        const int pos = next(edit->textLength() + 1);
        if (next(3) == 0) {
            edit->select(pos, next(40));
            edit->insert(QString());
        } else {
            edit->setSelStart(pos);
            edit->insert(inserts[next(int(inserts.size()))]);
        }
        if (round % 7 == 0)
            edit->repaint();
        if (round % 5 == 0)
            view->highlighter()->finish();
    }
    view->highlighter()->finish();
    QVERIFY(statesAgree(*edit));
}

void TestEditView::userColoursWin()
{
    edit->setText("<b>bold</b> text");
    view->highlighter()->finish();
    edit->select(0, 3);
    TagNav::hyIroin(edit.get(), 2);
    edit->repaint();
    QCOMPARE(shownColour(*edit, 1), QColor(255, 0, 0));
    QCOMPARE(shownColour(*edit, 9), live(Syntax::Kind::TagName));
    // A black marker is the user's colour too.
    edit->select(8, 3);
    TagNav::hyIroin(edit.get(), 0);
    edit->repaint();
    QCOMPARE(shownColour(*edit, 9), QColor(0, 0, 0));
    // Tag colouring colours the whole text its own way.
    TagNav::tagColor(edit.get());
    edit->repaint();
    QCOMPARE(shownColour(*edit, 1), QColor(0, 0, 255));
    QCOMPARE(shownColour(*edit, 4), QColor(0, 0, 0));
}

void TestEditView::offLooksAsBefore()
{
    edit->setText("<b>x</b>\n<i>y</i>");
    view->highlighter()->finish();
    edit->repaint();
    view->setOption(EditView::Highlight, false);
    for (QTextBlock b = edit->document()->firstBlock(); b.isValid(); b = b.next()) {
        QVERIFY(b.layout()->formats().isEmpty());
        QCOMPARE(b.userState(), -1);
    }
    edit->setSelStart(1);
    QTest::keyClicks(edit.get(), "<p>");
    edit->repaint();
    QVERIFY(edit->document()->firstBlock().layout()->formats().isEmpty());
    QVERIFY(view->matchSpans().empty());
}

void TestEditView::displayIsNoChange()
{
    edit->setText("<p>　全角\tタブ</p>\n<b>x</b>");
    QSignalSpy changes(edit.get(), &EditArea::textEdited);
    const QString before = edit->text();
    for (int o = 0; o < EditView::OptionCount; ++o) {
        view->setOption(EditView::Option(o), true);
        edit->repaint();
    }
    view->highlighter()->finish();
    edit->select(0, 3);
    TagNav::hjSoin(edit.get(), 0);
    view->setOption(EditView::Highlight, false);
    view->setOption(EditView::Highlight, true);
    edit->repaint();
    QCOMPARE(changes.count(), 0);
    QCOMPARE(edit->text(), before);
    edit->selectAll();
    QCOMPARE(edit->selText(), before);
}

void TestEditView::matchingPairsAndJump()
{
    edit->setText("<div>\n  <p>x</p>\n</div>\n<script>f(a[1]);</script>");
    view->highlighter()->finish();
    edit->setSelStart(2);
    view->updateMatchNow();
    QCOMPARE(int(view->matchSpans().size()), 2);
    QCOMPARE(view->matchSpans()[1], std::make_pair(17, 5));  // "</div"
    QVERIFY(view->jumpToPartner());
    QCOMPARE(edit->selStart(), 19);
    QVERIFY(view->jumpToPartner());
    QCOMPARE(edit->selStart(), 1);
    // Brackets of the script: from before "(" to its ")".
    const int open = edit->text().indexOf("(a");
    edit->setSelStart(open);
    QVERIFY(view->jumpToPartner());
    QCOMPARE(edit->selStart(), edit->text().indexOf(");"));
    // Text without a pair: nothing moves.
    edit->setSelStart(11);
    QVERIFY(!view->jumpToPartner());
    QCOMPARE(edit->selStart(), 11);
}

void TestEditView::zoomAndOptions()
{
    const qreal size = edit->font().pointSizeF();
    view->zoom(2);
    QCOMPARE(edit->font().pointSizeF(), std::round(size) + 2);
    QWheelEvent wheel(QPointF(10, 10), edit->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(edit->viewport(), &wheel);
    QCOMPARE(edit->font().pointSizeF(), std::round(size) + 1);
    view->resetZoom();
    QCOMPARE(edit->font().pointSizeF(), size);

    // Defaults, and what each switch changes.
    QVERIFY(view->option(EditView::LineNumbers));
    QVERIFY(view->gutter()->isVisible());
    QVERIFY(edit->viewport()->x() >= view->gutterWidth());
    view->setOption(EditView::LineNumbers, false);
    QVERIFY(!view->gutter()->isVisible());
    QCOMPARE(edit->lineWrapMode(), QPlainTextEdit::NoWrap);
    view->setOption(EditView::Wrap, true);
    QCOMPARE(edit->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(AppEnv::setting("view", "viewWrap", "0"), QString("1"));
    QCOMPARE(AppEnv::setting("view", "viewLineNumbers", "1"), QString("0"));
}

void TestEditView::longLinesAreColouredInDisplayLines()
{
    // A page on one line, longer than a line that is coloured whole: it is shown in display
    // lines, each coloured, and the pair search works in them as anywhere else.
    const QString line = QString("<b>x</b>").repeated(LiveHighlighter::MaxLineLength / 8 + 10);
    edit->setText("<i>\n" + line + "\n</i>");
    view->highlighter()->finish();
    edit->repaint();
    QVERIFY(edit->softBreakCount() > 10);
    const QTextBlock longBlock = edit->document()->findBlockByNumber(1);
    QVERIFY(!longBlock.layout()->formats().isEmpty());
    const QTextBlock later = edit->document()->findBlockByNumber(8);
    QVERIFY(edit->isContinuation(later));
    QVERIFY(!later.layout()->formats().isEmpty());
    const int far = edit->textPosition(later.position()) + 1;  // inside a <b> there
    QCOMPARE(edit->textRange(far - 1, 3), QString("<b>"));
    edit->setSelStart(far);
    QVERIFY(view->jumpToPartner());
    QVERIFY(edit->selStart() > far + 2 && edit->selStart() <= far + 7);
    QVERIFY(!edit->document()->firstBlock().layout()->formats().isEmpty());
}

void TestEditView::theGutterRepaintsWhenItsNumbersMove()
{
    // Typing within a line leaves the gutter alone; whatever moves or changes a number
    // repaints it: a new line, the caret on another line, a line that grows by wrapping.
    QString text;
    for (int i = 0; i < 20; ++i)
        text += QStringLiteral("<p>行 %1</p>\n").arg(i);
    edit->setText(text);
    edit->setSelStart(edit->lineStart(5) + 3);
    QApplication::processEvents();
    PaintCount paints;
    view->gutter()->installEventFilter(&paints);
    auto paintsAfter = [&](auto &&step) {
        QApplication::processEvents();
        paints.count = 0;
        step();
        QApplication::processEvents();
        return paints.count;
    };
    QCOMPARE(paintsAfter([&] { QTest::keyClicks(edit.get(), "abc"); }), 0);
    QVERIFY(paintsAfter([&] { QTest::keyClick(edit.get(), Qt::Key_Return); }) > 0);
    QVERIFY(paintsAfter([&] { edit->setSelStart(edit->lineStart(12)); }) > 0);
    QCOMPARE(paintsAfter([&] { QTest::keyClicks(edit.get(), "x"); }), 0);
    view->setOption(EditView::Wrap, true);
    QVERIFY(paintsAfter([&] { QTest::keyClicks(edit.get(), QString(200, QLatin1Char('w'))); }) > 0);
    QVERIFY(edit->document()->findBlockByNumber(12).layout()->lineCount() > 1);
}

void TestEditView::aLoadedPageFindsTheGutterReady()
{
    // The gutter takes its width for the new number of lines before they arrive, so the lines
    // are not laid out once more for a narrower text area; the colours follow as after any change.
    edit->setText("<p>short</p>");
    QCoreApplication::processEvents();
    const int narrow = view->gutterWidth();
    int widthWhileFilling = -1;
    connect(edit->document(), &QTextDocument::contentsChange, edit.get(), [&](int, int, int added) {
        if (added > 0)
            widthWhileFilling = edit->viewport()->width();
    });
    edit->setText(page(20000), EditArea::Fill::Load);
    QCoreApplication::processEvents();
    QVERIFY(view->gutterWidth() > narrow);
    QCOMPARE(view->gutter()->width(), view->gutterWidth());
    QCOMPARE(widthWhileFilling, edit->viewport()->width());
    edit->repaint();
    QCOMPARE(shownColour(*edit, edit->document()->findBlockByNumber(1).position() + 1), live(Syntax::Kind::TagName));
    view->highlighter()->finish();
    QVERIFY(statesAgree(*edit));
    // Back to a short page: the gutter narrows again.
    edit->setText("<p>short</p>", EditArea::Fill::Load);
    QCoreApplication::processEvents();
    QCOMPARE(view->gutterWidth(), narrow);
    QCOMPARE(view->gutter()->width(), narrow);
}

QTEST_MAIN(TestEditView)
#include "test_editview.moc"

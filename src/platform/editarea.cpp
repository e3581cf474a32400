#include "editarea.h"

#include <QAbstractTextDocumentLayout>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QGuiApplication>
#include <QStyleHints>
#include <QTextLayout>
#include <QTimer>
#if TARNELL_WIDGETS_PRIVATE
#include <private/qguiapplication_p.h>
#include <private/qplaintextedit_p.h>
#include <private/qtextengine_p.h>
#include <private/qwidgettextcontrol_p_p.h>
#include <qpa/qplatforminputcontext.h>
#include <qpa/qplatformintegration.h>
#endif

#include <algorithm>
#include <utility>

namespace {

// The separator that ends a display line inside a long line carries this property.
constexpr int SoftBreakProperty = QTextFormat::UserProperty + 7;

QTextCharFormat softBreakFormat()
{
    QTextCharFormat f;
    f.setProperty(SoftBreakProperty, true);
    return f;
}

bool cutsAfter(QChar c)
{
    return c == QLatin1Char('>') || c == QLatin1Char(' ');
}

// Cuts text[from, end) into pieces of about segment characters, just after a '>' or a space
// where there is one near (searched segment / 4 forward, then back to half a segment),
// never inside a surrogate pair; appends the offset each new piece starts at.
void cutPieces(QStringView text, int from, int end, int segment, std::vector<int> &cuts)
{
    int pos = from;
    while (end - pos > segment + segment / 2) {
        const int target = pos + segment;
        int cut = -1;
        for (int i = target; i < target + segment / 4 && cut < 0; ++i)
            if (cutsAfter(text[i - 1]))
                cut = i;
        for (int i = target - 1; i > pos + segment / 2 && cut < 0; --i)
            if (cutsAfter(text[i - 1]))
                cut = i;
        if (cut < 0)
            cut = text[target - 1].isHighSurrogate() ? target + 1 : target;
        cuts.push_back(cut);
        pos = cut;
    }
}

// The display line being edited costs in proportion to its length on every key (it is laid
// out, coloured, shaped and painted again), and so do the lines painted beside it. A display
// line of a long line that holds the caret or an edit is therefore cut again into short
// pieces, about as long as the lines of a page with normal lines, once it is longer than
// RefineAbove. Only those few lines are cut so finely: the rest of a long line keeps its
// longer display lines, which keeps the number of blocks (and the time to open) low.
constexpr int FineSegment = 80;
constexpr int RefineAbove = 2 * FineSegment;

bool refinable(const EditArea &edit, const QTextBlock &b)
{
    return b.isValid() && b.length() - 1 > RefineAbove &&
           (edit.isContinuation(b) || (b.next().isValid() && edit.isContinuation(b.next())));
}

// Runs a function when a mouse button is released over the watched widget (before the widget
// itself handles the release).
class ReleaseWatch : public QObject {
public:
    ReleaseWatch(QObject *parent, std::function<void()> fn) : QObject(parent), m_fn(std::move(fn)) {}

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::MouseButtonRelease)
            m_fn();
        return false;
    }

private:
    std::function<void()> m_fn;
};

}  // namespace

EditArea::EditArea(QWidget *parent) : QPlainTextEdit(parent)
{
    setObjectName("Text2");
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(false);
    connect(document(), &QTextDocument::contentsChange, this, &EditArea::onContentsChange);
    // The text's fonts take the screen's resolution as every font does. Measured against the
    // viewport, each run of a line asks the widget for its screen's resolution whenever the
    // line is laid out, drawn or the caret placed, a noticeable share of a key's work.
    document()->documentLayout()->setPaintDevice(nullptr);
    // The caret's line keeps its shaped glyphs. Qt otherwise throws them away after every
    // layout and every drawing, and a key then shapes its line three times: to lay it out,
    // to draw it and to draw the caret (the caret's place is measured in the glyphs).
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        const QTextBlock b = textCursor().block();
        if (!m_glyphLine.isNull()) {
            if (m_glyphLine.block() == b)
                return;
            if (QTextLayout *old = m_glyphLine.block().layout())
                old->setCacheEnabled(false);
        }
        if (b.layout())
            b.layout()->setCacheEnabled(true);
        m_glyphLine = QTextCursor(b);
    });
    m_reflowTimer.setSingleShot(true);
    m_reflowTimer.setInterval(0);
    connect(&m_reflowTimer, &QTimer::timeout, this, &EditArea::reflow);
    // A click that puts the caret into a long display line has that line cut finely at once,
    // so that the first key typed there does not wait for it (a selection made with the mouse
    // is left as it is).
    viewport()->installEventFilter(new ReleaseWatch(this, [this] {
        const QTextCursor c = textCursor();
        if (!m_soft.empty() && !c.hasSelection() && refinable(*this, c.block()))
            noteReflow(c.position());
    }));
}

std::vector<int> EditArea::softBreakPoints(QStringView text)
{
    std::vector<int> cuts;
    const int n = int(text.size());
    int lineStart = 0;
    while (lineStart < n) {
        int lineEnd = int(text.indexOf(QLatin1Char('\n'), lineStart));
        if (lineEnd < 0)
            lineEnd = n;
        if (lineEnd - lineStart > LongLine)
            cutPieces(text, lineStart, lineEnd, Segment, cuts);
        lineStart = lineEnd + 1;
    }
    return cuts;
}

int EditArea::softBefore(int docPos) const
{
    return int(std::lower_bound(m_soft.begin(), m_soft.end(), docPos) - m_soft.begin());
}

bool EditArea::isSoftBreakAt(int docPos) const
{
    return std::binary_search(m_soft.begin(), m_soft.end(), docPos);
}

int EditArea::docPosition(int textPos, bool afterBreak) const
{
    if (m_soft.empty())
        return textPos;
    // Soft break k stands at text position m_soft[k] - k; count those before textPos (or
    // at it, when the position is to be taken after the break).
    int lo = 0, hi = int(m_soft.size());
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        const int at = m_soft[size_t(mid)] - mid;
        if (at < textPos || (afterBreak && at == textPos))
            lo = mid + 1;
        else
            hi = mid;
    }
    return textPos + lo;
}

int EditArea::docPosition(int textPos) const
{
    return docPosition(textPos, true);
}

int EditArea::textPosition(int docPos) const
{
    return m_soft.empty() ? docPos : docPos - softBefore(docPos);
}

QTextCursor EditArea::cursorAt(int position, int length) const
{
    QTextCursor c(document());
    c.setPosition(docPosition(position, true));
    if (length > 0)
        c.setPosition(docPosition(position + length, false), QTextCursor::KeepAnchor);
    return c;
}

int EditArea::caretPosition() const
{
    return textPosition(textCursor().position());
}

int EditArea::anchorPosition() const
{
    return textPosition(textCursor().anchor());
}

void EditArea::setCaret(int anchor, int position)
{
    const int n = textLength();
    anchor = qBound(0, anchor, n);
    position = qBound(0, position, n);
    QTextCursor c = textCursor();
    c.setPosition(docPosition(anchor, anchor <= position));
    c.setPosition(docPosition(position, position <= anchor), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

void EditArea::replaceRange(int position, int length, const QString &text)
{
    QTextCursor c = cursorAt(position, length);
    insertShown(c, text);
}

int EditArea::lineNumber(const QTextBlock &block) const
{
    return block.blockNumber() - softBefore(block.position());
}

bool EditArea::isContinuation(const QTextBlock &block) const
{
    return !m_soft.empty() && isSoftBreakAt(block.position() - 1);
}

int EditArea::lineOf(int textPos) const
{
    return lineNumber(document()->findBlock(docPosition(textPos)));
}

int EditArea::lineStart(int line) const
{
    line = qBound(0, line, lineCount() - 1);
    if (m_soft.empty())
        return document()->findBlockByNumber(line).position();
    // The first display block whose line is this one; the line of block b never falls
    // as b grows, and line <= b <= line + the number of soft breaks.
    int lo = line, hi = qMin(blockCount() - 1, line + softBreakCount());
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (lineNumber(document()->findBlockByNumber(mid)) < line)
            lo = mid + 1;
        else
            hi = mid;
    }
    return textPosition(document()->findBlockByNumber(lo).position());
}

int EditArea::columnOf(int textPos) const
{
    if (m_soft.empty()) {
        const QTextBlock b = document()->findBlock(textPos);
        return textPos - b.position();
    }
    return textPos - lineStart(lineOf(textPos));
}

QString EditArea::docText(int from, int to) const
{
    QTextCursor c(document());
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    QString s = c.selectedText();
    const auto first = std::lower_bound(m_soft.begin(), m_soft.end(), from);
    const auto last = std::lower_bound(first, m_soft.end(), to);
    if (first != last) {
        // Piece by piece: removing the breaks one at a time would move the rest each time.
        QString whole;
        whole.reserve(s.size() - (last - first));
        qsizetype at = 0;
        for (auto it = first; it != last; ++it) {
            whole.append(QStringView(s).mid(at, *it - from - at));
            at = *it - from + 1;
        }
        whole.append(QStringView(s).mid(at));
        s = std::move(whole);
    }
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return s;
}

void EditArea::insertShown(QTextCursor &c, const QString &text, const QTextCharFormat &format)
{
    const std::vector<int> cuts = softBreakPoints(text);
    if (cuts.empty()) {
        c.insertText(text, format);
        return;
    }
    // Read back by onContentsChange, which the document calls once the outermost edit ends.
    m_expectSoft = true;
    c.beginEditBlock();
    int from = 0;
    for (const int cut : cuts) {
        c.insertText(text.mid(from, cut - from), format);
        c.insertBlock(c.blockFormat(), softBreakFormat());
        from = cut;
    }
    c.insertText(text.mid(from), format);
    c.endEditBlock();
}

void EditArea::onContentsChange(int pos, int removed, int added)
{
    if (removed == 0 && added == 0)
        return;
    if (m_silence > 0 && removed == added && !m_expectSoft) {
        // Formatting only: every character, soft breaks included, stays where it was.
        return;
    }
    int textPos = pos;
    if (!m_soft.empty() || m_expectSoft) {
        m_expectSoft = false;
        // The document may report more than what changed (whole blocks, an edit block's
        // span), so the soft breaks in the new span are read from the document itself.
        const auto first = std::lower_bound(m_soft.begin(), m_soft.end(), pos);
        const auto last = std::lower_bound(first, m_soft.end(), pos + removed);
        textPos = pos - int(first - m_soft.begin());
        const int softRemoved = int(last - first);
        for (auto it = last; it != m_soft.end(); ++it)
            *it += added - removed;
        std::vector<int> found;
        for (QTextBlock b = document()->findBlock(pos); b.isValid();) {
            const int end = b.position() + b.length() - 1;
            const QTextBlock next = b.next();
            if (end >= pos + added || !next.isValid())
                break;
            if (end >= pos && next.charFormat().hasProperty(SoftBreakProperty))
                found.push_back(end);
            b = next;
        }
        const int at = int(first - m_soft.begin());
        m_soft.erase(first, last);
        m_soft.insert(m_soft.begin() + at, found.begin(), found.end());
        removed -= softRemoved;
        added -= int(found.size());
    }
    if (m_reflowing > 0)
        return;  // display lines cut or joined: the text is what it was
    if (m_silence == 0 && added > 0) {
        // A line grown past the limit is cut once the change is over, and so is a long
        // display line that a small edit (a key, a tag) falls into, into short pieces.
        const QTextBlock b = document()->findBlock(docPosition(textPos + added, false));
        if (b.length() > LongLine + 1 || (!m_soft.empty() && added < RefineAbove && refinable(*this, b)))
            noteReflow(b.position());
    }
    if (!m_soft.empty() && removed > 0 && m_silence == 0)
        noteReflow(qMin(pos, document()->characterCount() - 1));  // a display line emptied
    if (removed == 0 && added == 0)
        return;
    pos = textPos;
    if (m_silence > 0) {
        // Display formatting replaces characters by themselves; anything else done while
        // silenced still changes what text() gives.
        if (removed != added) {
            m_textValid = false;
            ++m_revision;
        }
        return;
    }
    m_textValid = false;
    ++m_revision;
    emit contentsEdited(pos, removed, added);
    if (m_grouped > 0) {
        m_pendingChange = true;
        return;
    }
    emit textEdited();
}

QString EditArea::text() const
{
    if (!m_textValid) {
        // The raw text keeps no-break spaces and line separators as typed; only the
        // paragraph breaks become "\n".
        m_text = document()->toRawText();
        if (!m_soft.empty()) {
            QString whole;
            whole.reserve(m_text.size() - qsizetype(m_soft.size()));
            qsizetype from = 0;
            for (const int at : m_soft) {
                whole.append(QStringView(m_text).mid(from, at - from));
                from = at + 1;
            }
            whole.append(QStringView(m_text).mid(from));
            m_text = std::move(whole);
        }
        m_text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
        m_textValid = true;
    }
    return m_text;
}

QString EditArea::textRange(int position, int length) const
{
    const int n = textLength();
    position = qBound(0, position, n);
    const int end = qBound(position, position + qMax(0, length), n);
    if (m_textValid)
        return m_text.mid(position, end - position);
    return docText(docPosition(position, true), docPosition(end, false));
}

namespace {

// Lines of a text as the editor makes them, and whether the editor keeps the text character
// for character (it also breaks lines at CR, U+2029 and its two frame marks, and takes CR LF as
// one break).
struct FillShape {
    int lines = 1;
    bool kept = true;
};

FillShape shapeOf(const QString &text)
{
    FillShape s;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u'\n')
            ++s.lines;
        else if (c == u'\r' || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1)
            s.kept = false;
    }
    return s;
}

}  // namespace

void EditArea::setText(const QString &text, Fill fill, const QTextCharFormat &format)
{
    // Replacing through a cursor keeps the change a single edit; the caret ends at 0.
    QTextCursor c(document());
    c.select(QTextCursor::Document);
    const bool wasEmpty = document()->isEmpty();
    if (wasEmpty && text.isEmpty()) {
        // Nothing changes, but every load counts as a change of the text.
        emit textEdited();
        return;
    }
    FillShape shape;
    bool holdScrollBar = false;
    ++m_grouped;
    if (fill == Fill::Load) {
        // Dropping the whole document costs a fraction of removing its text through a cursor.
        if (!wasEmpty) {
            document()->clear();
            m_soft.clear();
        }
        c = QTextCursor(document());
        if (format.propertyCount() > 0)  // the first line in the format of the others
            formatDisplay([&] { c.setBlockCharFormat(format); });
        // The width of the text area is settled while it is empty: a gutter or a scroll bar that
        // grew after a long text arrived would have every line laid out once more.
        shape = shapeOf(text);
        emit filling(shape.lines);
        const int lineHeight = qMax(1, fontMetrics().lineSpacing());
        holdScrollBar = verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded && shape.lines > viewport()->height() / lineHeight;
        if (holdScrollBar)
            setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    c.beginEditBlock();
    c.removeSelectedText();
    insertShown(c, text, format);
    c.endEditBlock();
    if (holdScrollBar)
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    --m_grouped;
    if (fill == Fill::Load && shape.kept) {
        m_text = text;  // the text as the editor holds it: asking for it costs nothing
        m_textValid = true;
    }
    QTextCursor caret(document());
    caret.setPosition(0);
    setTextCursor(caret);
    m_pendingChange = false;
    emit textEdited();
}

int EditArea::textLength() const
{
    return document()->characterCount() - 1 - softBreakCount();
}

int EditArea::selStart() const
{
    return textPosition(textCursor().selectionStart());
}

void EditArea::setSelStart(int pos)
{
    QTextCursor c = textCursor();
    c.setPosition(docPosition(qBound(0, pos, textLength())));
    setTextCursor(c);
}

int EditArea::selLength() const
{
    const QTextCursor c = textCursor();
    return textPosition(c.selectionEnd()) - textPosition(c.selectionStart());
}

void EditArea::setSelLength(int length)
{
    select(selStart(), length);
}

void EditArea::select(int start, int length)
{
    const int n = textLength();
    start = qBound(0, start, n);
    const int end = qBound(start, start + qMax(0, length), n);
    QTextCursor c = textCursor();
    c.setPosition(docPosition(start, true));
    if (end > start)
        c.setPosition(docPosition(end, false), QTextCursor::KeepAnchor);
    setTextCursor(c);
}

QString EditArea::selText() const
{
    if (!m_soft.empty()) {
        const QTextCursor c = textCursor();
        return docText(c.selectionStart(), c.selectionEnd());
    }
    QString s = textCursor().selectedText();
    // The cursor reports paragraph breaks as U+2029; the document's text uses "\n".
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return s;
}

void EditArea::setSelText(const QString &text)
{
    QTextCursor c = textCursor();
    if (!c.hasSelection() && text.isEmpty())
        return;
    // New text takes the editor's plain look, not the formatting of its neighbour.
    oneChange([&] {
        insertShown(c, text);
        setTextCursor(c);
    });
}

void EditArea::wrap(const QString &start, const QString &end)
{
    oneChange([&] { setSelText(start + selText() + end); });
}

void EditArea::wrapStepBack(const QString &start, const QString &end)
{
    wrap(start, end);
    setSelStart(selStart() - int(end.size()));
}

void EditArea::insert(const QString &text)
{
    setSelText(text);
}

void EditArea::apply(const Insertion &insertion)
{
    if (insertion.rule == Insertion::Wrap)
        wrap(insertion.start, insertion.end);
    else
        insert(insertion.start);
}

void EditArea::formatDisplay(const std::function<void()> &fn)
{
    ++m_silence;
    fn();
    --m_silence;
}

void EditArea::setSelectionColor(const QColor &color)
{
    QTextCharFormat f;
    f.setForeground(color);
    f.setProperty(UserColorProperty, true);
    mergeSelectionFormat(f);
}

void EditArea::mergeSelectionFormat(const QTextCharFormat &format)
{
    formatDisplay([&] {
        QTextCursor c = textCursor();
        c.mergeCharFormat(format);
    });
}

void EditArea::setSelRichText(const QString &html)
{
    QTextCursor c = textCursor();
    oneChange([&] {
        c.insertFragment(QTextDocumentFragment::fromHtml(html));
        setTextCursor(c);
    });
}

void EditArea::oneChange(const std::function<void()> &fn)
{
    ++m_grouped;
    fn();
    --m_grouped;
    if (m_grouped == 0 && m_pendingChange) {
        m_pendingChange = false;
        emit textEdited();
    }
    if (m_grouped == 0 && !m_reflowAt.isEmpty())
        reflow();
}

void EditArea::noteReflow(int docPos)
{
    QTextCursor c(document());
    c.setPosition(docPos);
    m_reflowAt.append(c);
    m_reflowTimer.start();
}

void EditArea::reflow()
{
    if (m_grouped > 0 || m_silence > 0 || isComposing()) {
        m_reflowTimer.start();
        return;
    }
    const QList<QTextCursor> spots = std::exchange(m_reflowAt, {});
    m_reflowTimer.stop();
    ++m_reflowing;
    bool caretLineCut = false;
    for (const QTextCursor &spot : spots) {
        const QTextBlock b = spot.block();
        if (!b.isValid())
            continue;
        QTextCursor c(document());
        const bool fine = b.length() <= LongLine + 1 && refinable(*this, b);
        if (b.length() > LongLine + 1 || fine) {
            std::vector<int> cuts;
            if (fine)
                cutPieces(b.text(), 0, b.length() - 1, FineSegment, cuts);
            else
                cuts = softBreakPoints(b.text());
            caretLineCut = caretLineCut || b == textCursor().block();
            m_expectSoft = true;
            c.beginEditBlock();
            for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
                c.setPosition(b.position() + *it);
                c.insertBlock(c.blockFormat(), softBreakFormat());
            }
            c.endEditBlock();
        } else if (b.length() == 1 && isContinuation(b)) {
            c.setPosition(b.position() - 1);
            c.setPosition(b.position(), QTextCursor::KeepAnchor);
            c.removeSelectedText();
        } else if (b.length() == 1 && b.next().isValid() && isContinuation(b.next())) {
            c.setPosition(b.position());
            c.setPosition(b.position() + 1, QTextCursor::KeepAnchor);
            c.removeSelectedText();
        }
    }
    --m_reflowing;
    if (caretLineCut)
        ensureCursorVisible();  // the caret may now stand further left in a shorter line
}

void EditArea::focusInEvent(QFocusEvent *e)
{
    QPlainTextEdit::focusInEvent(e);
    // A moment later: the first focus comes with the window, whose first painting goes first.
    static bool prepared = false;
    if (!std::exchange(prepared, true))
        QTimer::singleShot(250, this, &EditArea::prepareKeyInput);
}

void EditArea::prepareKeyInput()
{
#if TARNELL_WIDGETS_PRIVATE
    // X's compose input context reads the locale's compose table on the first key press it
    // sees, some milliseconds that the first key typed would wait for. Once the editor has
    // the focus it is given a press of Shift, which no compose sequence reacts to, so that it
    // reads the table now. Other input contexts (input methods) are left alone: a lone Shift
    // may switch their mode.
    QPlatformInputContext *context = QGuiApplicationPrivate::platformIntegration()->inputContext();
    if (!context || qstrcmp(context->metaObject()->className(), "QComposeInputContext") != 0)
        return;
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier, 0, 0xffe1 /* Shift_L */, 0);
    context->filterEvent(&shift);
#endif
}

void EditArea::restartCaretBlink()
{
#if TARNELL_WIDGETS_PRIVATE
    // The caret stays on while keys come and blinks again a moment after the last one, as
    // in a line edit; the editor's own control shows it on each key but keeps blinking on
    // its old rhythm, which hid it and repainted its line in the middle of typing.
    QObject *control = static_cast<QPlainTextEditPrivate *>(QObjectPrivate::get(this))->control;
    auto *d = static_cast<QWidgetTextControlPrivate *>(QObjectPrivate::get(control));
    if (d->cursorBlinkTimer.isActive())
        d->cursorBlinkTimer.start(QGuiApplication::styleHints()->cursorFlashTime() / 2, control);
#endif
}

void EditArea::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Tab && e->modifiers() == Qt::NoModifier) {
        // Four spaces stand in for the tab; the key itself is consumed.
        const Typing outer = std::exchange(m_typing, Typing::Key);
        emit tabTyped();
        m_typing = outer;
        e->accept();
        return;
    }
    // Shortcuts of the menus win over the editor's own bindings (see Form1's
    // ShortcutOverride handling); everything else is the editor's.
    const Typing outer = std::exchange(m_typing, Typing::Key);
    const quint64 before = m_revision;
    if (!m_soft.empty() && !textCursor().hasSelection()) {
        // Backspace at the start of a display line and Delete at the end of one remove the
        // character beyond the soft break, as they would in the unbroken line.
        const int at = textCursor().position();
        if (e->key() == Qt::Key_Backspace && isSoftBreakAt(at - 1)) {
            QTextCursor c = textCursor();
            c.setPosition(at - 1);
            setTextCursor(c);
        } else if (e->key() == Qt::Key_Delete && isSoftBreakAt(at)) {
            QTextCursor c = textCursor();
            c.setPosition(at + 1);
            setTextCursor(c);
        }
    }
    const int caretBefore = caretPosition();
    QPlainTextEdit::keyPressEvent(e);
    if (!m_soft.empty() && (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right) &&
        caretPosition() == caretBefore) {
        // Stepping over a soft break moves by no character: step once more.
        QPlainTextEdit::keyPressEvent(e);
    }
    m_typing = outer;
    restartCaretBlink();
    if (m_revision != before && !e->text().isEmpty())
        emit keyTyped(e->text());
    if (!m_reflowAt.isEmpty())
        reflow();
}

bool EditArea::isComposing() const
{
    const QTextLayout *layout = textCursor().block().layout();
    return layout && !layout->preeditAreaText().isEmpty();
}

void EditArea::inputMethodEvent(QInputMethodEvent *e)
{
    const Typing outer = std::exchange(m_typing, Typing::InputMethod);
    QPlainTextEdit::inputMethodEvent(e);
    m_typing = outer;
}

void EditArea::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::RightButton) {
        emit contextRequested(e->globalPosition().toPoint());
        e->accept();
        return;
    }
    QPlainTextEdit::mousePressEvent(e);
}

void EditArea::contextMenuEvent(QContextMenuEvent *e)
{
    // The window shows its Edit menu on the right button instead.
    if (e->reason() == QContextMenuEvent::Keyboard)
        emit contextRequested(e->globalPos());
    e->accept();
}

QMimeData *EditArea::createMimeDataFromSelection() const
{
    if (m_soft.empty())
        return QPlainTextEdit::createMimeDataFromSelection();
    auto *data = new QMimeData;
    data->setText(selText());
    return data;
}

bool EditArea::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasText();
}

void EditArea::insertFromMimeData(const QMimeData *source)
{
    // Pasting and dropping bring plain text only; nothing to bring leaves the selection.
    if (source->hasText() && !source->text().isEmpty())
        setSelText(source->text());
}

void EditArea::setPaintHooks(PaintHook before, PaintHook after)
{
    m_before = std::move(before);
    m_after = std::move(after);
    viewport()->update();
}

void EditArea::setLeftMargin(int width)
{
    setViewportMargins(width, 0, 0, 0);
}

QRectF EditArea::blockRect(const QTextBlock &block) const
{
    return blockBoundingGeometry(block).translated(contentOffset());
}

std::vector<EditArea::ShownBlock> EditArea::shownBlocks(qreal bottom) const
{
    std::vector<ShownBlock> shown;
    QPointF offset = contentOffset();
    for (QTextBlock b = firstVisibleBlock(); b.isValid(); b = b.next()) {
        const QRectF r = blockBoundingRect(b).translated(offset);
        if (r.top() > bottom)
            break;
        if (b.isVisible())
            shown.push_back({b, r});
        offset.ry() += r.height();
    }
    return shown;
}

void EditArea::setBlockFormats(const QTextBlock &block, const QList<QTextLayout::FormatRange> &ranges)
{
#if TARNELL_WIDGETS_PRIVATE
    // The engine drops the block's lines; the layout lays it out again when asked for its size.
    block.layout()->engine()->setFormats(ranges);
#else
    block.layout()->setFormats(ranges);
    const QSignalBlocker silence(document()->documentLayout());
    document()->markContentsDirty(block.position(), block.length());
#endif
}

void EditArea::paintEvent(QPaintEvent *e)
{
    if (m_before) {
        QPainter p(viewport());
        m_before(p, e->rect());
    }
    QPlainTextEdit::paintEvent(e);
    if (m_after) {
        QPainter p(viewport());
        m_after(p, e->rect());
    }
}

void EditArea::resizeEvent(QResizeEvent *e)
{
    QPlainTextEdit::resizeEvent(e);
    emit resized();
}

void EditArea::wheelEvent(QWheelEvent *e)
{
    if (e->modifiers() & Qt::ControlModifier) {
        // One notch (120) is one step; fine-grained wheels add up to a notch.
        m_wheelRest += e->angleDelta().y();
        const int steps = m_wheelRest / 120;
        m_wheelRest -= steps * 120;
        if (steps != 0)
            emit zoomRequested(steps);
        e->accept();
        return;
    }
    QPlainTextEdit::wheelEvent(e);
}

#include "editarea.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QWheelEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <utility>

EditArea::EditArea(QWidget *parent) : QPlainTextEdit(parent)
{
    setObjectName("Text2");
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setTabChangesFocus(false);
    connect(document(), &QTextDocument::contentsChange, this, &EditArea::onContentsChange);
}

void EditArea::onContentsChange(int pos, int removed, int added)
{
    if (removed == 0 && added == 0)
        return;
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
    QTextCursor c(document());
    c.setPosition(position);
    c.setPosition(end, QTextCursor::KeepAnchor);
    QString s = c.selectedText();
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return s;
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
        if (!wasEmpty)
            document()->clear();
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
    c.insertText(text, format);
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
    return document()->characterCount() - 1;
}

int EditArea::selStart() const
{
    return textCursor().selectionStart();
}

void EditArea::setSelStart(int pos)
{
    QTextCursor c = textCursor();
    c.setPosition(qBound(0, pos, textLength()));
    setTextCursor(c);
}

int EditArea::selLength() const
{
    const QTextCursor c = textCursor();
    return c.selectionEnd() - c.selectionStart();
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
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(c);
}

QString EditArea::selText() const
{
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
        c.insertText(text, QTextCharFormat());
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
    QPlainTextEdit::keyPressEvent(e);
    m_typing = outer;
    if (m_revision != before && !e->text().isEmpty())
        emit keyTyped(e->text());
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

#include "tagcompleter.h"

#include "editing/livehighlight.h"
#include "platform/appenv.h"
#include "platform/editarea.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// Lines read back to find the state at a line's start when the colouring keeps none.
constexpr int kStateLines = 200;
// Lines a tag spread over several lines is followed back.
constexpr int kTagLines = 50;
// Characters per backward slice of the open-element search.
constexpr int kSlice = 16'384;
// In a line longer than the colouring reads (a page on one line), what is typed is read
// from this many characters before the caret only.
constexpr int kLongLineTail = 4'000;

bool insideTag(int state)
{
    const Syntax::Place p = Syntax::placeOf(state);
    return p == Syntax::Place::InTag || p == Syntax::Place::AfterEquals || p == Syntax::Place::QuotedValue;
}

// Where a display line starts in the text (the positions below are the text's).
int startOf(const EditArea *edit, const QTextBlock &block)
{
    return edit->textPosition(block.position());
}

QString blockRangeText(const EditArea *edit, const QTextBlock &from, int end)
{
    return edit->textRange(startOf(edit, from), end - startOf(edit, from));
}

}

TagCompleter::TagCompleter(EditArea *edit) : QObject(edit), m_edit(edit), m_popup(new QListWidget(edit))
{
    m_popup->setObjectName("completePopup");
    m_popup->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    m_popup->setFocusPolicy(Qt::NoFocus);
    m_popup->setUniformItemSizes(true);
    m_popup->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_popup->hide();
    connect(m_popup, &QListWidget::itemClicked, this, [this] { acceptCurrent(); });
    connect(edit, &EditArea::keyTyped, this, &TagCompleter::onKeyTyped);
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        // The caret moved by the mouse or a command: the list no longer belongs there.
        if (m_edit->typing() == EditArea::Typing::None && isShowing())
            hide();
    });
    edit->installEventFilter(this);
    m_enabled = AppEnv::setting("view", SettingKey, "1").trimmed() == QLatin1String("1");
}

void TagCompleter::setEnabled(bool on)
{
    AppEnv::setSetting("view", SettingKey, on ? "1" : "0");
    m_enabled = on;
    if (!on)
        hide();
}

bool TagCompleter::isShowing() const
{
    return m_popup->isVisible();
}

int TagCompleter::entryState(const QTextBlock &block) const
{
    const int kept = LiveHighlighter::storedEntryState(block);
    if (kept >= 0)
        return kept;
    // Nothing kept (colours off): read a stretch of lines above from the start state.
    QTextBlock from = block;
    for (int i = 0; i < kStateLines && from.previous().isValid(); ++i)
        from = from.previous();
    int state = Syntax::InitialState;
    for (QTextBlock b = from; b.isValid() && b != block; b = b.next())
        state = Syntax::tokenizeLine(b.text(), state, nullptr);
    return state;
}

Completion::Context TagCompleter::contextAt(int pos) const
{
    QTextBlock block = m_edit->document()->findBlock(m_edit->docPosition(pos));
    if (!block.isValid())
        return {};
    if (pos - startOf(m_edit, block) > LiveHighlighter::MaxLineLength) {
        const int from = pos - kLongLineTail;
        return Completion::contextAt(m_edit->textRange(from, pos - from), Syntax::InitialState, from);
    }
    int state = entryState(block);
    // A tag spread over lines is read from the line of its "<".
    for (int i = 0; i < kTagLines && insideTag(state) && block.previous().isValid(); ++i) {
        block = block.previous();
        state = entryState(block);
    }
    return Completion::contextAt(blockRangeText(m_edit, block, pos), state, startOf(m_edit, block));
}

std::optional<QString> TagCompleter::openElementAt(int pos) const
{
    // Backwards in slices of whole lines: each slice is read from the state kept at its
    // first line, its tags fed last first.
    Completion::OpenElement open;
    QTextBlock end = m_edit->document()->findBlock(m_edit->docPosition(pos));
    int endPos = pos;
    int read = 0;
    while (end.isValid() && read < MaxReach) {
        QTextBlock start = end;
        int length = endPos - startOf(m_edit, start);
        while (length < kSlice && start.previous().isValid()) {
            start = start.previous();
            length = endPos - startOf(m_edit, start);
        }
        // A slice begins outside any tag, so that no tag is cut in two.
        int state = entryState(start);
        for (int i = 0; i < kTagLines && insideTag(state) && start.previous().isValid(); ++i) {
            start = start.previous();
            state = entryState(start);
        }
        const QString text = blockRangeText(m_edit, start, endPos);
        const std::vector<TagMatch::Tag> tags = TagMatch::scanTags(text, state, startOf(m_edit, start));
        for (auto it = tags.rbegin(); it != tags.rend(); ++it)
            if (open.feed(*it))
                return open.result();
        read += int(text.size());
        endPos = startOf(m_edit, start);
        end = start.previous();
        if (end.isValid())
            endPos = m_edit->textPosition(end.position() + end.length() - 1);  // before the line break
        else
            break;
        // The line break between the slices belongs to neither; no tag holds one alone.
    }
    return std::nullopt;
}

void TagCompleter::onKeyTyped(const QString &text)
{
    if (!m_enabled || m_edit->isComposing() || m_edit->textCursor().hasSelection()) {
        hide();
        return;
    }
    if (text == QLatin1String("/")) {
        closeElement();
        return;
    }
    const bool trigger = text == QLatin1String("<") || text == QLatin1String(" ") || text == QLatin1String("\"") ||
                         text == QLatin1String("'");
    if (isShowing() || trigger)
        showChoices();
}

void TagCompleter::closeElement()
{
    hide();
    const int caret = m_edit->selStart();
    if (caret < 2 || m_edit->textRange(caret - 2, 2) != QLatin1String("</"))
        return;
    // The "<" must open markup: not inside a comment, a tag or a value.
    const Completion::Context before = contextAt(caret - 1);
    if (before.kind != Completion::Kind::Element) {
        // In <script> or <style> code the open element is that block itself.
        QTextBlock block = m_edit->document()->findBlock(m_edit->docPosition(caret - 2));
        const int from = qMax(startOf(m_edit, block), caret - 2 - LiveHighlighter::MaxLineLength);
        const int state = Syntax::tokenizeLine(m_edit->textRange(from, caret - 2 - from),
                                               from == startOf(m_edit, block) ? entryState(block) : Syntax::InitialState,
                                               nullptr);
        const Syntax::Place p = Syntax::placeOf(state);
        if (p != Syntax::Place::Script && p != Syntax::Place::Style)
            return;
    }
    const std::optional<QString> name = openElementAt(caret - 2);
    if (!name)
        return;
    m_edit->insert(*name + QLatin1Char('>'));
}

bool TagCompleter::showChoices()
{
    const int caret = m_edit->selStart();
    m_context = contextAt(caret);
    const QStringList list = Completion::choices(m_context);
    // Nothing to offer, or only what is typed already.
    if (list.isEmpty() || (list.size() == 1 && list.first() == m_context.typed && m_context.kind != Completion::Kind::Attribute)) {
        hide();
        return false;
    }
    m_popup->clear();
    m_popup->addItems(list);
    m_popup->setCurrentRow(0);
    const int rows = qMin(10, int(list.size()));
    const int rowHeight = m_popup->sizeHintForRow(0);
    const int width = qMax(120, m_popup->sizeHintForColumn(0) + m_popup->verticalScrollBar()->sizeHint().width() + 12);
    m_popup->resize(width, rows * rowHeight + 2 * m_popup->frameWidth());
    QPoint at = m_edit->viewport()->mapToGlobal(m_edit->cursorRect().bottomLeft());
    at.rx() -= m_popup->fontMetrics().horizontalAdvance(m_context.typed);
    if (const QScreen *screen = m_edit->screen()) {
        const QRect area = screen->availableGeometry();
        if (at.y() + m_popup->height() > area.bottom())
            at.ry() -= m_popup->height() + m_edit->cursorRect().height();
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - m_popup->width())));
    }
    m_popup->move(at);
    m_popup->show();
    return true;
}

void TagCompleter::hide()
{
    m_popup->hide();
}

void TagCompleter::acceptCurrent()
{
    const QListWidgetItem *item = m_popup->currentItem();
    if (!item) {
        hide();
        return;
    }
    const Completion::Acceptance a = Completion::accept(m_context, item->text());
    hide();
    const int caret = m_edit->selStart();
    m_edit->oneChange([&] {
        m_edit->select(m_context.start, caret - m_context.start);
        m_edit->insert(a.text);
        m_edit->setSelStart(m_context.start + a.caret);
        // A value ends the quotes: the caret goes past the closing one.
        if (m_context.kind == Completion::Kind::Value) {
            const QString next = m_edit->textRange(m_edit->selStart(), 1);
            if (next == QLatin1String("\"") || next == QLatin1String("'"))
                m_edit->setSelStart(m_edit->selStart() + 1);
        }
    });
    if (a.more)
        showChoices();
}

bool TagCompleter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit || !isShowing())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *ke = static_cast<QKeyEvent *>(event);
        const int row = m_popup->currentRow();
        const int count = m_popup->count();
        const int page = qMax(1, qMin(10, count) - 1);
        switch (ke->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
            if (ke->modifiers() & ~Qt::KeypadModifier)
                break;
            acceptCurrent();
            return true;
        case Qt::Key_Escape:
            hide();
            return true;
        case Qt::Key_Up:
            m_popup->setCurrentRow(qMax(0, row - 1));
            return true;
        case Qt::Key_Down:
            m_popup->setCurrentRow(qMin(count - 1, row + 1));
            return true;
        case Qt::Key_PageUp:
            m_popup->setCurrentRow(qMax(0, row - page));
            return true;
        case Qt::Key_PageDown:
            m_popup->setCurrentRow(qMin(count - 1, row + page));
            return true;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
            hide();
            break;
        default:
            break;
        }
        break;
    }
    case QEvent::ShortcutOverride: {
        // While the list is shown, its keys are the list's.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab ||
            key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            event->accept();
            return true;
        }
        break;
    }
    case QEvent::FocusOut:
    case QEvent::InputMethod:
    case QEvent::Hide:
        hide();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

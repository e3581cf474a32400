#include "livehighlight.h"

#include "editing/scheme.h"
#include "editing/syntax.h"
#include "platform/editarea.h"

#include <QElapsedTimer>
#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

// A block's user state: the tokenizer's end state, plus this bit while the block's
// colours match that state. -1: never read.
constexpr int Formatted = 1 << 28;
constexpr int StateMask = Formatted - 1;

bool formatted(const QTextBlock &b)
{
    const int s = b.userState();
    return s >= 0 && (s & Formatted);
}

// Spans of a block that carry the user's own colour (relative to the block): markers,
// tag colouring, or a colour brought in by pasted rich text. Plain black is the
// editor's own reset colour and does not count.
std::vector<std::pair<int, int>> userColourSpans(const QTextBlock &block)
{
    std::vector<std::pair<int, int>> spans;
    const int base = block.position();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        const QTextCharFormat cf = f.charFormat();
        bool user = cf.hasProperty(EditArea::UserColorProperty);
        if (!user && cf.hasProperty(QTextFormat::ForegroundBrush)) {
            const QColor c = cf.foreground().color();
            user = cf.foreground().style() != Qt::NoBrush && c != QColor(Qt::black);
        }
        if (!user)
            continue;
        const int a = f.position() - base;
        const int b = a + f.length();
        if (!spans.empty() && spans.back().second == a)
            spans.back().second = b;
        else
            spans.emplace_back(a, b);
    }
    return spans;
}

}

LiveHighlighter::LiveHighlighter(EditArea *edit) : QObject(edit), m_edit(edit), m_frontier(edit->document())
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &LiveHighlighter::idleSlice);
    connect(edit->document(), &QTextDocument::contentsChange, this, &LiveHighlighter::onContentsChange);
    connect(edit->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (m_enabled)
            prepareVisible();
    });
}

int LiveHighlighter::entryState(const QTextBlock &block) const
{
    const QTextBlock prev = block.previous();
    if (!prev.isValid() || prev.userState() < 0)
        return Syntax::InitialState;
    return prev.userState() & StateMask;
}

int LiveHighlighter::storedEntryState(const QTextBlock &block)
{
    const QTextBlock prev = block.previous();
    if (!prev.isValid())
        return Syntax::InitialState;
    return prev.userState() < 0 ? -1 : (prev.userState() & StateMask);
}

int LiveHighlighter::process(QTextBlock block, int entry, bool format)
{
    if (block.length() > MaxLineLength) {
        // Too long to colour (a page on one line): it stays plain, and no second layout
        // of it is caused here.
        if (format)
            clearFormats(block);
        block.setUserState(Syntax::InitialState | (format ? Formatted : 0));
        return Syntax::InitialState;
    }
    const QString text = block.text();
    std::vector<Syntax::Token> tokens;
    const int end = Syntax::tokenizeLine(text, entry, format ? &tokens : nullptr);
    if (!format) {
        block.setUserState(end);
        return end;
    }

    const std::vector<std::pair<int, int>> user = userColourSpans(block);
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(int(tokens.size()) * 2 + 1);
    const QTextCharFormat plain = Scheme::format(Syntax::Kind::Plain, m_dark);
    // Appends [a, a + n) in format f; a run that goes on the one before in the same format
    // joins it (a tag's "<", name and ">" share a colour): Qt lays out and draws each run
    // apart, so fewer runs make every keystroke's layout of the line cheaper.
    auto append = [&](int a, int n, const QTextCharFormat &f) {
        if (!ranges.isEmpty() && ranges.back().start + ranges.back().length == a && ranges.back().format == f)
            ranges.back().length += n;
        else
            ranges.append({a, n, f});
    };
    // Adds [a, b) in format f, leaving out the user's coloured spans.
    auto add = [&](int a, int b, const QTextCharFormat &f) {
        for (const auto &[ua, ub] : user) {
            if (ub <= a || ua >= b)
                continue;
            if (ua > a)
                append(a, ua - a, f);
            a = ub;
            if (a >= b)
                return;
        }
        if (b > a)
            append(a, b - a, f);
    };
    int pos = 0;
    for (const Syntax::Token &t : tokens) {
        add(pos, t.start, plain);
        add(t.start, t.start + t.length, Scheme::format(t.kind, m_dark));
        pos = t.start + t.length;
    }
    add(pos, int(text.size()), plain);
    setLayoutFormats(block, ranges);
    block.setUserState(end | Formatted);
    return end;
}

void LiveHighlighter::setLayoutFormats(const QTextBlock &block, const QList<QTextLayout::FormatRange> &ranges)
{
    m_edit->setBlockFormats(block, ranges);
    if (m_painting || m_inEdit)
        return;  // the paint under way, or the edit's own repaint, draws it
    QRectF r = m_edit->blockRect(block);
    if (!EditArea::QuietFormats && block.next().isValid())
        r = r.united(m_edit->blockRect(block.next()));
    m_edit->viewport()->update(QRect(0, int(r.top()) - 1, m_edit->viewport()->width(), int(r.height()) + 2));
}

void LiveHighlighter::clearFormats(const QTextBlock &block)
{
    if (!block.layout() || block.layout()->formats().isEmpty())
        return;
    setLayoutFormats(block, {});
}

int LiveHighlighter::visibleEndBlock() const
{
    const int lineHeight = qMax(1, m_edit->fontMetrics().lineSpacing());
    return m_edit->firstVisible().blockNumber() + m_edit->viewport()->height() / lineHeight + 2;
}

void LiveHighlighter::onContentsChange(int pos, int, int added)
{
    if (!m_enabled)
        return;
    QTextDocument *doc = m_edit->document();
    const QTextBlock first = doc->findBlock(pos);
    QTextBlock last = doc->findBlock(pos + added);
    if (!last.isValid())
        last = doc->lastBlock();
    if (!first.isValid())
        return;

    auto unformat = [&] {
        for (QTextBlock b = first; b.isValid(); b = b.next()) {
            if (b.userState() >= 0)
                b.setUserState(b.userState() & StateMask);
            if (b == last)
                break;
        }
    };
    if (m_edit->isFormatting()) {
        // Only the display formatting changed: the states stand, the colours are redone
        // when the lines are shown.
        unformat();
        return;
    }
    const int frontier = m_done ? INT_MAX : m_frontier.block().blockNumber();
    if (first.blockNumber() >= frontier) {
        unformat();
        return;
    }

    const int visibleTo = visibleEndBlock();
    QElapsedTimer clock;
    clock.start();
    int state = entryState(first);
    int count = 0;
    for (QTextBlock b = first; b.isValid();) {
        const int old = b.userState() < 0 ? -1 : (b.userState() & StateMask);
        const bool pastEdit = b.position() > last.position();
        // Colours are attached when the line is painted: inside the edit they would widen
        // the change Qt lays out to the following lines and repaint everything. Only a shown
        // line that is edited alone takes them now, so that Qt lays it out once, coloured.
        if (EditArea::QuietFormats && !pastEdit && first == last && b.layout() && b.layout()->lineCount() > 0 &&
            b.blockNumber() >= m_edit->firstVisible().blockNumber() && b.blockNumber() <= visibleTo) {
            m_inEdit = true;
            state = process(b, state, true);
            m_inEdit = false;
        } else {
            state = process(b, state, false);
        }
        if (pastEdit && state == old)
            return;  // the lines below read as before
        if (pastEdit && b.blockNumber() <= visibleTo) {
            // A shown line below the edit reads differently now: repaint from it down.
            const QRectF r = m_edit->blockRect(b);
            m_edit->viewport()->update(QRect(0, int(r.top()) - 1, m_edit->viewport()->width(),
                                             m_edit->viewport()->height()));
        }
        b = b.next();
        ++count;
        if (b.isValid() && b.blockNumber() > visibleTo && (count % 32 == 0) && clock.nsecsElapsed() > 300000) {
            // The rest follows in idle slices.
            if (m_done || b.blockNumber() < frontier) {
                m_frontier = QTextCursor(b);
                m_done = false;
            }
            m_timer.start();
            return;
        }
    }
}

void LiveHighlighter::idleSlice()
{
    if (!m_enabled || m_done) {
        m_timer.stop();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    QTextBlock b = m_frontier.block();
    int state = entryState(b);
    int count = 0;
    while (b.isValid()) {
        state = process(b, state, formatted(b));
        b = b.next();
        if (++count % 64 == 0 && clock.nsecsElapsed() > 5000000)
            break;
    }
    if (!b.isValid()) {
        m_done = true;
        m_timer.stop();
        return;
    }
    m_frontier.setPosition(b.position());
}

void LiveHighlighter::finish()
{
    while (m_enabled && !m_done)
        idleSlice();
    m_timer.stop();
}

void LiveHighlighter::prepareVisible(const QRect &painting)
{
    if (!m_enabled)
        return;
    m_painting = !painting.isNull();
    for (const EditArea::ShownBlock &s : m_edit->shownBlocks(m_edit->viewport()->height())) {
        if (m_painting && !s.rect.intersects(painting))
            continue;  // coloured when it is painted
        if (!formatted(s.block))
            process(s.block, entryState(s.block), true);
    }
    m_painting = false;
}

void LiveHighlighter::restart()
{
    m_frontier = QTextCursor(m_edit->document());
    m_done = false;
    m_timer.start();
    m_edit->viewport()->update();
}

void LiveHighlighter::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    if (on) {
        restart();
        return;
    }
    m_timer.stop();
    m_done = true;
    for (QTextBlock b = m_edit->document()->firstBlock(); b.isValid(); b = b.next()) {
        if (formatted(b))
            clearFormats(b);
        b.setUserState(-1);
    }
    m_edit->viewport()->update();
}

void LiveHighlighter::setDark(bool dark)
{
    if (dark == m_dark)
        return;
    m_dark = dark;
    if (!m_enabled)
        return;
    for (QTextBlock b = m_edit->document()->firstBlock(); b.isValid(); b = b.next())
        if (formatted(b))
            b.setUserState(b.userState() & StateMask);
    m_edit->viewport()->update();
}

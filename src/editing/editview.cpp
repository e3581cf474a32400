#include "editview.h"

#include "editing/livehighlight.h"
#include "editing/scheme.h"
#include "editing/tagmatch.h"
#include "platform/appenv.h"
#include "platform/editarea.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QWidget>

#include <climits>
#include <cmath>

namespace {

constexpr EditView::OptionInfo kOptions[] = {
    {"viewHighlight", "入力中に色分け", true},
    {"viewLineNumbers", "行番号", true},
    {"viewCurrentLine", "カーソル行を強調", true},
    {"viewWhitespace", "空白文字を表示", true},
    {"viewTabs", "タブを表示", false},
    {"viewLineEnds", "改行を表示", false},
    {"viewWrap", "折り返し", false},
};
static_assert(std::size(kOptions) == EditView::OptionCount);

// How far a partner is looked for, in characters either way. The highlight follows the
// caret, so its search stops early (a few milliseconds at most); the jump is asked for.
constexpr int kHighlightReach = 200'000;
constexpr int kJumpReach = 8'000'000;
constexpr int kChunkBlocks = 512;
// Lines either way within which a bracket's partner is looked for.
constexpr int kBracketLines = 1000;
// Characters a chunk or the bracket window holds at most when long lines are cut.
constexpr int kChunkChars = 65'536;

class Gutter : public QWidget {
public:
    Gutter(EditView *view, QWidget *parent) : QWidget(parent), m_view(view)
    {
        setObjectName("viewGutter");
        // It paints every pixel it is asked for: the widgets beneath are not painted first.
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *e) override
    {
        QPainter p(this);
        m_view->paintGutter(p, e->rect());
    }

private:
    EditView *m_view;
};

// Text of blocks [first, last] joined by "\n".
QString blockText(QTextBlock first, const QTextBlock &last)
{
    QString s;
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        if (b != first)
            s += QLatin1Char('\n');
        s += b.text();
        if (b == last)
            break;
    }
    return s;
}

// Lines too long to colour are not read for pairs either: a search stops at them.
bool readable(const QTextBlock &b)
{
    return b.isValid() && b.length() <= LiveHighlighter::MaxLineLength;
}

// n blocks on (or back), fewer when they hold more than chars characters.
QTextBlock advance(QTextBlock b, int n, int chars = INT_MAX)
{
    int read = b.length();
    for (int i = 0; i < n && read < chars && readable(b.next()); ++i) {
        b = b.next();
        read += b.length();
    }
    return b;
}

QTextBlock retreat(QTextBlock b, int n, int chars = INT_MAX)
{
    int read = b.length();
    for (int i = 0; i < n && read < chars && readable(b.previous()); ++i) {
        b = b.previous();
        read += b.length();
    }
    return b;
}

}

const EditView::OptionInfo &EditView::info(Option o)
{
    return kOptions[o];
}

EditView::EditView(EditArea *edit)
    : QObject(edit), m_edit(edit), m_highlighter(new LiveHighlighter(edit)), m_gutter(new Gutter(this, edit))
{
    m_matchTimer.setSingleShot(true);
    // After the caret rests: typing runs on without a search between the keys.
    m_matchTimer.setInterval(150);
    connect(&m_matchTimer, &QTimer::timeout, this, &EditView::findMatch);
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, &EditView::onCaretMoved);
    connect(edit, &QPlainTextEdit::blockCountChanged, this, [this] {
        m_fillLines = -1;
        updateGutterGeometry();
    });
    connect(edit, &EditArea::resized, this, &EditView::updateGutterGeometry);
    // A loaded text: the gutter takes its width before the lines arrive.
    connect(edit, &EditArea::filling, this, [this](int lines) {
        m_fillLines = lines;
        updateGutterGeometry();
    });
    connect(edit, &EditArea::textEdited, this, [this] {
        if (m_fillLines >= 0) {  // the loaded lines are in: the editor counts them from now on
            m_fillLines = -1;
            updateGutterGeometry();
        }
    });
    connect(edit, &EditArea::zoomRequested, this, &EditView::zoom);
    connect(edit, &QPlainTextEdit::updateRequest, this, [this](const QRect &rect, int dy) {
        if (!m_on[LineNumbers])
            return;
        if (dy) {
            m_gutter->scroll(0, dy);
            return;
        }
        // Typing and the caret's blinking repaint the caret's line only, and its number stays:
        // a new caret line, a new line count or a line of another height repaint the gutter
        // elsewhere or come with a rectangle that reaches beyond the line.
        const QTextBlock caret = m_edit->textCursor().block();
        if (caret.blockNumber() == m_caretBlock) {
            const QRectF line = m_edit->blockRect(caret);
            if (rect.top() >= line.top() - 1 && rect.bottom() <= line.bottom() + 1)
                return;
        }
        m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
    });
    edit->installEventFilter(this);
    edit->setPaintHooks([this](QPainter &p, const QRect &r) { paintBefore(p, r); },
                        [this](QPainter &p, const QRect &r) { paintAfter(p, r); });
    m_highlighter->setDark(dark());
    for (int o = 0; o < OptionCount; ++o) {
        const QString v = AppEnv::setting("view", kOptions[o].name, kOptions[o].byDefault ? "1" : "0").trimmed();
        m_on[o] = v == QLatin1String("1");
        apply(Option(o));
    }
}

bool EditView::dark() const
{
    return Scheme::isDark(m_edit->palette());
}

void EditView::setOption(Option o, bool on)
{
    AppEnv::setSetting("view", kOptions[o].name, on ? "1" : "0");
    if (m_on[o] == on)
        return;
    m_on[o] = on;
    apply(o);
}

void EditView::apply(Option o)
{
    switch (o) {
    case Highlight:
        m_highlighter->setEnabled(m_on[o]);
        findMatch();
        break;
    case LineNumbers:
        updateGutterGeometry();
        break;
    case Wrap:
        m_edit->setLineWrapMode(m_on[o] ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        break;
    default:
        break;
    }
    m_edit->viewport()->update();
}

int EditView::gutterWidth() const
{
    if (!m_on[LineNumbers])
        return 0;
    int digits = 1;
    for (int n = qMax(1, m_fillLines >= 0 ? m_fillLines : m_edit->lineCount()); n >= 10; n /= 10)
        ++digits;
    digits = qMax(digits, 3);
    return m_edit->fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits + 12;
}

void EditView::updateGutterGeometry()
{
    const int w = gutterWidth();
    m_edit->setLeftMargin(w);
    const QRect cr = m_edit->contentsRect();
    m_gutter->setGeometry(cr.left(), cr.top(), w, cr.height());
    m_gutter->setVisible(w > 0);
    m_gutter->update();
}

void EditView::paintGutter(QPainter &p, const QRect &rect)
{
    const bool d = dark();
    p.fillRect(rect, Scheme::colour(Scheme::Surface::GutterBackground, d));
    QFont normal = m_edit->font();
    normal.setBold(false);
    normal.setItalic(false);
    QFont bold = normal;
    bold.setBold(true);
    const int caretLine = m_edit->lineNumber(m_edit->textCursor().block());
    const int right = m_gutter->width() - 6;
    for (const auto &[b, r] : m_edit->shownBlocks(rect.bottom())) {
        // A display line that continues a long line has no number of its own.
        if (r.bottom() < rect.top() || m_edit->isContinuation(b))
            continue;
        const int number = m_edit->lineNumber(b);
        const bool caret = number == caretLine;
        p.setFont(caret ? bold : normal);
        p.setPen(Scheme::colour(caret ? Scheme::Surface::GutterCaret : Scheme::Surface::GutterText, d));
        // The number sits on the block's first line (also when the line wraps).
        const int lineHeight = b.layout() && b.layout()->lineCount() > 0 ? int(b.layout()->lineAt(0).height())
                                                                          : m_edit->fontMetrics().height();
        p.drawText(QRect(0, int(r.top()), right, lineHeight), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(number + 1));
    }
}

void EditView::paintBefore(QPainter &p, const QRect &rect)
{
    m_highlighter->prepareVisible(rect);
    const bool d = dark();
    const int width = m_edit->viewport()->width();
    if (m_on[CurrentLine]) {
        const QTextBlock b = m_edit->textCursor().block();
        const QRectF r = m_edit->blockRect(b);
        if (r.intersects(rect))
            p.fillRect(QRectF(0, r.top(), width, r.height()), Scheme::colour(Scheme::Surface::CaretLine, d));
    }
    const QColor matchColour = Scheme::colour(Scheme::Surface::MatchBackground, d);
    for (const auto &[start, length] : m_match) {
        const QTextBlock b = m_edit->document()->findBlock(start);
        if (!b.isValid() || !b.layout())
            continue;
        const QRectF br = m_edit->blockRect(b);
        if (!br.intersects(rect))
            continue;
        const int from = start - b.position();
        const int to = qMin(from + length, b.length() - 1);
        QTextLayout *layout = b.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const int a = qMax(from, line.textStart());
            const int z = qMin(to, line.textStart() + line.textLength());
            if (a >= z)
                continue;
            const qreal x1 = line.cursorToX(a);
            const qreal x2 = line.cursorToX(z);
            p.fillRect(QRectF(br.left() + qMin(x1, x2), br.top() + line.y(), qAbs(x2 - x1), line.height()),
                       matchColour);
        }
    }
}

void EditView::paintAfter(QPainter &p, const QRect &rect)
{
    if (!m_on[Whitespace] && !m_on[Tabs] && !m_on[LineEnds])
        return;
    QPen pen(Scheme::colour(Scheme::Surface::Whitespace, dark()));
    pen.setWidthF(1.0);
    p.setPen(pen);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const auto &[b, br] : m_edit->shownBlocks(rect.bottom())) {
        if (br.bottom() < rect.top() || !b.layout() || !readable(b))
            continue;
        QTextLayout *layout = b.layout();
        const QString text = b.text();
        for (int i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            const bool wide = c.unicode() == 0x3000 && m_on[Whitespace];
            const bool tab = c == QLatin1Char('\t') && m_on[Tabs];
            if (!wide && !tab)
                continue;
            const QTextLine line = layout->lineForTextPosition(i);
            if (!line.isValid())
                continue;
            const qreal x1 = br.left() + line.cursorToX(i);
            const qreal x2 = br.left() + line.cursorToX(i + 1);
            const QRectF cell(qMin(x1, x2), br.top() + line.y(), qAbs(x2 - x1), line.height());
            if (wide) {
                // A faint box a little inside the character's cell.
                const qreal inset = qMax<qreal>(1.5, cell.width() * 0.12);
                p.drawRect(cell.adjusted(inset, inset + 1, -inset, -inset - 1));
            } else {
                const qreal y = cell.center().y();
                const qreal l = cell.left() + 2;
                const qreal r = qMax(l + 4, cell.right() - 2);
                p.drawLine(QPointF(l, y), QPointF(r, y));
                p.drawLine(QPointF(r, y), QPointF(r - 3, y - 3));
                p.drawLine(QPointF(r, y), QPointF(r - 3, y + 3));
            }
        }
        if (m_on[LineEnds] && b.next().isValid() && !m_edit->isContinuation(b.next()) && layout->lineCount() > 0) {
            const QTextLine last = layout->lineAt(layout->lineCount() - 1);
            // Just after the line's visible end (measuring the place of its last character
            // walks every run of the line, dearer than the rest of the marks together).
            const qreal x = br.left() + last.x() + last.naturalTextWidth() + 3;
            const qreal top = br.top() + last.y();
            const qreal h = last.height();
            const qreal w = qMax<qreal>(6, h * 0.4);
            // A small return arrow: down, then left.
            const QPointF corner(x + w, top + h * 0.65);
            p.drawLine(QPointF(x + w, top + h * 0.3), corner);
            p.drawLine(corner, QPointF(x, corner.y()));
            p.drawLine(QPointF(x, corner.y()), QPointF(x + 3, corner.y() - 3));
            p.drawLine(QPointF(x, corner.y()), QPointF(x + 3, corner.y() + 3));
        }
    }
}

void EditView::repaintLine(int blockNumber)
{
    const QTextBlock b = m_edit->document()->findBlockByNumber(blockNumber);
    if (!b.isValid())
        return;
    const QRectF r = m_edit->blockRect(b);
    m_edit->viewport()->update(QRect(0, int(r.top()) - 1, m_edit->viewport()->width(), int(r.height()) + 2));
}

void EditView::repaintMatch()
{
    for (const auto &span : m_match)
        repaintLine(m_edit->document()->findBlock(span.first).blockNumber());
}

void EditView::onCaretMoved()
{
    const int block = m_edit->textCursor().blockNumber();
    if (block != m_caretBlock) {
        // The caret line's background and number move with it.
        if (m_on[CurrentLine]) {
            repaintLine(m_caretBlock);
            repaintLine(block);
        }
        m_caretBlock = block;
        if (m_on[LineNumbers])
            m_gutter->update();
    }
    if (!m_match.empty()) {
        repaintMatch();
        m_match.clear();
    }
    if (m_on[Highlight])
        m_matchTimer.start();
}

namespace {

struct Partner {
    std::pair<int, int> here;   // start, length
    std::pair<int, int> there;
    int target = 0;              // where the jump puts the caret
};

// The tag or bracket at pos in the document and its partner, looked for chunk by chunk
// from the caret's line outwards. stateOf gives the tokenizer state at a block's start.
// Display lines of a long line are blocks of up to a few thousand characters: chunks and
// the bracket window are then bounded by chunkChars characters as well.
template <typename StateOf>
std::optional<Partner> findPartner(QTextDocument *doc, int pos, int reachLimit, int chunkChars, StateOf stateOf)
{
    const QTextBlock home = doc->findBlock(pos);
    if (!readable(home))
        return std::nullopt;
    const QString homeText = home.text();
    int endState = 0;
    const std::vector<TagMatch::Tag> tags = TagMatch::scanTags(homeText, stateOf(home), home.position(), &endState);
    const int i = TagMatch::tagAt(tags, pos);
    if (i >= 0 && !tags[i].selfClosing) {
        const TagMatch::Tag &t = tags[i];
        std::optional<TagMatch::Tag> found;
        int reach = 0;
        if (!t.closing) {
            TagMatch::Forward f(t.name);
            bool over = false;
            for (size_t k = i + 1; k < tags.size() && !over; ++k)
                over = f.feed(tags[k]);
            int state = endState;
            for (QTextBlock b = home.next(); readable(b) && !over && reach < reachLimit;) {
                const QTextBlock last = advance(b, kChunkBlocks - 1, chunkChars);
                const QString chunk = blockText(b, last);
                reach += int(chunk.size());
                for (const TagMatch::Tag &x : TagMatch::scanTags(chunk, state, b.position(), &state))
                    if ((over = f.feed(x)))
                        break;
                b = last.next();
            }
            found = f.result();
        } else {
            TagMatch::Backward bk(t.name);
            bool over = false;
            for (int k = i - 1; k >= 0 && !over; --k)
                over = bk.feed(tags[k]);
            for (QTextBlock e = home.previous(); readable(e) && !over && reach < reachLimit;) {
                const QTextBlock first = retreat(e, kChunkBlocks - 1, chunkChars);
                const QString chunk = blockText(first, e);
                reach += int(chunk.size());
                const std::vector<TagMatch::Tag> part = TagMatch::scanTags(chunk, stateOf(first), first.position());
                for (auto it = part.rbegin(); it != part.rend(); ++it)
                    if ((over = bk.feed(*it)))
                        break;
                e = first.previous();
            }
            found = bk.result();
        }
        if (!found)
            return std::nullopt;
        return Partner{{t.start, t.nameEnd - t.start}, {found->start, found->nameEnd - found->start}, found->nameStart};
    }

    // A bracket of CSS/JavaScript code at the caret (read in its own line first, so that
    // a caret elsewhere costs nothing more), its partner looked for within a window of
    // lines around it.
    const std::vector<int> own = TagMatch::bracketPositions(homeText, stateOf(home), home.position());
    const auto at = [&own](int p) { return p >= 0 && std::find(own.begin(), own.end(), p) != own.end(); };
    if (!at(pos) && !at(pos - 1))
        return std::nullopt;
    const QTextBlock first = retreat(home, kBracketLines, chunkChars);
    const QTextBlock last = advance(home, kBracketLines, chunkChars);
    const QString window = blockText(first, last);
    const std::vector<int> brackets = TagMatch::bracketPositions(window, stateOf(first), first.position());
    for (int p : {pos, pos - 1}) {
        const auto it = std::find(brackets.begin(), brackets.end(), p);
        if (p < 0 || it == brackets.end())
            continue;
        const int k = TagMatch::bracketPartner(window, first.position(), brackets, int(it - brackets.begin()));
        if (k >= 0)
            return Partner{{p, 1}, {brackets[k], 1}, p == pos - 1 ? brackets[k] + 1 : brackets[k]};
    }
    return std::nullopt;
}

}

namespace {
int chunkCharsFor(const EditArea *edit)
{
    return edit->softBreakCount() > 0 ? kChunkChars : INT_MAX;
}
}

void EditView::findMatch()
{
    repaintMatch();
    m_match.clear();
    if (m_on[Highlight]) {
        const auto p = findPartner(m_edit->document(), m_edit->textCursor().position(), kHighlightReach, chunkCharsFor(m_edit),
                                   [this](const QTextBlock &b) { return m_highlighter->entryState(b); });
        if (p) {
            m_match.push_back(p->here);
            m_match.push_back(p->there);
        }
    }
    repaintMatch();
}

void EditView::updateMatchNow()
{
    m_matchTimer.stop();
    findMatch();
}

bool EditView::jumpToPartner()
{
    const auto p = findPartner(m_edit->document(), m_edit->textCursor().position(), kJumpReach, chunkCharsFor(m_edit),
                               [this](const QTextBlock &b) { return m_highlighter->entryState(b); });
    if (!p)
        return false;
    m_edit->setSelStart(m_edit->textPosition(p->target));
    m_edit->ensureCursorVisible();
    return true;
}

void EditView::zoom(int steps)
{
    QFont f = m_edit->font();
    if (m_baseSize <= 0)
        m_baseSize = f.pointSizeF();
    f.setPointSizeF(qBound(6.0, std::round(f.pointSizeF()) + steps, 72.0));
    m_edit->setFont(f);
    updateGutterGeometry();
}

void EditView::resetZoom()
{
    if (m_baseSize <= 0)
        return;
    QFont f = m_edit->font();
    f.setPointSizeF(m_baseSize);
    m_edit->setFont(f);
    updateGutterGeometry();
}

bool EditView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange)) {
        m_highlighter->setDark(dark());
        updateGutterGeometry();
    }
    return QObject::eventFilter(watched, event);
}

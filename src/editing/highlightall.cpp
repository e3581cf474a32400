#include "highlightall.h"

#include "platform/editarea.h"
#include "platform/highlights.h"

#include <QMainWindow>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {
QString g_lastStatus;

QStatusBar *statusBarOf(QWidget *anyWidget)
{
    for (QWidget *w = anyWidget; w; w = w->parentWidget()) {
        if (auto *main = qobject_cast<QMainWindow *>(w))
            return main->statusBar();
    }
    return nullptr;
}

// Pause after a keystroke in the search text before the whole page is searched again.
constexpr int TypingPauseMs = 150;
}

MatchHighlighter *MatchHighlighter::of(EditArea *edit)
{
    if (auto *h = edit->findChild<MatchHighlighter *>(QString(), Qt::FindDirectChildrenOnly))
        return h;
    return new MatchHighlighter(edit);
}

MatchHighlighter::MatchHighlighter(EditArea *edit) : QObject(edit), m_edit(edit)
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(TypingPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &MatchHighlighter::refresh);
    // A change of the text searches again after the same pause; scrolling and resizing
    // only move the highlights to the newly visible matches.
    connect(edit, &EditArea::textEdited, this, [this] {
        if (m_showing)
            m_pause.start();
    });
    connect(edit->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (m_showing && m_computed)
            paintVisible();
    });
    connect(edit, &QPlainTextEdit::updateRequest, this, [this](const QRect &, int dy) {
        if (m_showing && m_computed && dy != 0)
            paintVisible();
    });
    connect(edit, &QPlainTextEdit::selectionChanged, this, [this] {
        if (m_showing && m_computed)
            emitCount();
    });
}

void MatchHighlighter::show(const QString &pattern, const Search::Options &options)
{
    if (pattern.isEmpty()) {
        hide();
        return;
    }
    m_showing = true;
    m_pattern = pattern;
    m_options = options;
    m_pause.start();
}

void MatchHighlighter::hide()
{
    m_pause.stop();
    m_showing = false;
    m_pattern.clear();
    if (!m_edit)
        return;
    Highlights::set(m_edit, ownerKey(), {});
    // A count left in the status bar would no longer be true.
    if (!m_shownCount.isEmpty()) {
        if (QStatusBar *bar = statusBarOf(m_edit); bar && bar->currentMessage() == m_shownCount)
            bar->clearMessage();
        m_shownCount.clear();
    }
}

void MatchHighlighter::refresh()
{
    m_pause.stop();
    if (!m_showing || !m_edit)
        return;
    ensure(m_pattern, m_options);
    paintVisible();
    emitCount();
}

bool MatchHighlighter::ensure(const QString &pattern, const Search::Options &options)
{
    if (!m_edit)
        return false;
    const int revision = int(m_edit->revision());
    if (m_computed && revision == m_forRevision && pattern == m_forPattern && options == m_forOptions)
        return m_error.isEmpty();
    m_computed = true;
    m_forRevision = revision;
    m_forPattern = pattern;
    m_forOptions = options;
    m_matches.clear();
    m_error.clear();
    Search::Matcher matcher(pattern, options);
    if (!matcher.isValid()) {
        m_error = matcher.errorText();
        return false;
    }
    if (pattern.isEmpty())
        return true;
    const QString text = m_edit->text();
    matcher.setText(text);
    bool skip = false;
    int from = 0;
    for (;;) {
        const Search::Match m = matcher.find(from, skip);
        if (!m.found())
            break;
        m_matches.emplace_back(m.start, m.length);
        from = m.end();
        skip = m.length == 0;
    }
    if (matcher.gaveUp()) {
        m_error = matcher.errorText();
        m_matches.clear();
    }
    return m_error.isEmpty();
}

void MatchHighlighter::paintVisible()
{
    if (!m_edit)
        return;
    // The part of the text on screen, with a screen's margin above and below.
    const QTextBlock first = m_edit->cursorForPosition(QPoint(0, 0)).block();
    const int lines = qMax(1, m_edit->viewport()->height() / qMax(1, m_edit->fontMetrics().height()));
    QTextBlock top = first, bottom = first;
    for (int i = 0; i < lines && top.previous().isValid(); ++i)
        top = top.previous();
    for (int i = 0; i < 2 * lines && bottom.next().isValid(); ++i)
        bottom = bottom.next();
    const int from = m_edit->textPosition(top.position());
    const int to = m_edit->textPosition(bottom.position() + bottom.length());

    QTextCharFormat look;
    look.setBackground(QColor(255, 230, 120));
    look.setProperty(QTextFormat::FullWidthSelection, false);
    QList<QTextEdit::ExtraSelection> list;
    auto it = std::lower_bound(m_matches.begin(), m_matches.end(), std::make_pair(from, 0),
                               [](const auto &a, const auto &b) { return a.first + a.second < b.first; });
    for (; it != m_matches.end() && it->first < to; ++it) {
        if (it->second == 0)
            continue;
        QTextEdit::ExtraSelection sel;
        sel.cursor = m_edit->cursorAt(it->first, it->second);
        sel.format = look;
        list << sel;
    }
    Highlights::set(m_edit, ownerKey(), list);
}

int MatchHighlighter::highlightedCount() const
{
    return m_edit ? int(Highlights::get(m_edit, ownerKey()).size()) : 0;
}

int MatchHighlighter::count(const QString &pattern, const Search::Options &options)
{
    ensure(pattern, options);
    return int(m_matches.size());
}

QString MatchHighlighter::countText(const QString &pattern, const Search::Options &options)
{
    if (!ensure(pattern, options))
        return m_error;
    int current = 0;
    if (m_edit) {
        const std::pair<int, int> sel{m_edit->selStart(), m_edit->selLength()};
        const auto it = std::lower_bound(m_matches.begin(), m_matches.end(), sel);
        if (it != m_matches.end() && *it == sel)
            current = int(it - m_matches.begin()) + 1;
    }
    return Search::countText(int(m_matches.size()), current);
}

void MatchHighlighter::emitCount()
{
    const QString text = countText(m_pattern, m_options);
    showStatus(m_edit, text);
    m_shownCount = text;
    emit countChanged(text);
}

void MatchHighlighter::showStatus(QWidget *anyWidget, const QString &text)
{
    g_lastStatus = text;
    if (QStatusBar *bar = statusBarOf(anyWidget))
        bar->showMessage(text);
}

QString MatchHighlighter::lastStatus()
{
    return g_lastStatus;
}

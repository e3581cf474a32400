#pragma once
// Every match of the current search shown in the editing area while the find input or
// the replace dialog is open, and the count of matches for the status bar. Display
// only: the highlights are extra selections of their own, so the text, its markers and
// tag colours and the history never change. Only the matches near the visible part
// carry a highlight, so a page with 100,000 matches stays fluent.
#include "matcher.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <utility>
#include <vector>

class EditArea;

class MatchHighlighter : public QObject {
    Q_OBJECT
public:
    // The one highlighter of an editing area (made on first use, owned by the area).
    static MatchHighlighter *of(EditArea *edit);

    // Show the matches of a pattern (after a short pause while typing); "" hides them.
    void show(const QString &pattern, const Search::Options &options);
    void hide();
    bool isShowing() const { return m_showing; }
    // Run a pending search now (tests, and before reading the count).
    void refresh();

    // Matches of the shown query (or of the given one) in the current text, computed
    // once per text revision.
    int count(const QString &pattern, const Search::Options &options);
    // "12 件中 3 件目": the current match is the one the selection covers; otherwise
    // the count alone. An invalid pattern gives its error text.
    QString countText(const QString &pattern, const Search::Options &options);
    // The highlights currently laid on the editor (visible part only).
    int highlightedCount() const;

    static QString ownerKey() { return QStringLiteral("search"); }

    // Writes a text to the status bar of the window the editing area is in.
    static void showStatus(QWidget *anyWidget, const QString &text);
    static QString lastStatus();

signals:
    // The count text changed (after a search ran or the selection moved).
    void countChanged(const QString &text);

private:
    explicit MatchHighlighter(EditArea *edit);
    bool ensure(const QString &pattern, const Search::Options &options);
    void paintVisible();
    void emitCount();

    QPointer<EditArea> m_edit;
    QTimer m_pause;
    bool m_showing = false;
    QString m_pattern;
    Search::Options m_options;
    // The computed matches and what they were computed for.
    QString m_forPattern;
    Search::Options m_forOptions;
    int m_forRevision = -1;
    bool m_computed = false;
    QString m_error;
    QString m_shownCount;  // the count last put in the status bar
    std::vector<std::pair<int, int>> m_matches;  // start, length
};

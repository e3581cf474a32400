#pragma once
// The matching engine behind Find, Replace, highlighting and search in files: plain or
// regular-expression patterns, with case, whole-word, width and kana options. With
// every option off it matches exactly and case-sensitively, as Find always did.
// Positions are always positions in the original text, whatever folding was used.
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <vector>

namespace Search {

struct Options {
    bool regex = false;       // Perl-style regular expression
    bool ignoreCase = false;  // capitals and small letters alike
    bool word = false;        // whole words only
    bool width = false;       // full-width and half-width alike (ｶﾞ = ガ, Ａ = A)
    bool kana = false;        // hiragana and katakana alike (が = ガ)
    bool operator==(const Options &) const = default;
};

// A text seen through the width and kana folding, with the way back to the original.
struct FoldedText {
    QString text;                // what the pattern is matched against
    std::vector<int> origin;     // origin[i]: original position of text[i]; one more entry
                                 // for the end. Empty when nothing was folded (identity).
    int toOriginal(int pos) const { return origin.empty() ? pos : origin[size_t(pos)]; }
    int toFolded(int pos) const;  // the folded position of an original one (rounded up)
};

// ｶﾞ, ｶ + ﾞ, カ + ゛ and カ + U+3099 all fold to one character; full-width Latin to ASCII,
// the ideographic space to a space; with kana, katakana to hiragana.
FoldedText fold(const QString &text, bool width, bool kana);

struct Match {
    int start = -1;
    int length = 0;
    std::vector<int> groups;  // regex only: start, end pairs per group (original positions; -1 unset)
    bool found() const { return start >= 0; }
    int end() const { return start + length; }
};

class Matcher {
public:
    // A pattern for a whole text; check isValid() before use.
    Matcher(const QString &pattern, const Options &options);

    bool isValid() const { return m_error.isEmpty(); }
    // The reason an invalid pattern is refused, in Japanese, with the 1-based position.
    QString errorText() const { return m_error; }
    int errorPosition() const { return m_errorPos; }  // 0-based in the pattern, -1 if none
    // A search gave up because the pattern needed too many steps (see errorText()).
    bool gaveUp() const { return m_gaveUp; }
    const Options &options() const { return m_options; }
    const QString &pattern() const { return m_pattern; }

    // The text the matches run over; must outlive the searches that use it.
    void setText(const QString &text);
    const QString &text() const { return *m_text; }

    // The first match at or after from. skipEmptyAtFrom: an empty match exactly at from
    // is passed over (Find next after an empty match moves on).
    Match find(int from, bool skipEmptyAtFrom = false);
    // Every match from from on, left to right, not overlapping; at most limit (-1: all).
    std::vector<Match> findAll(int from = 0, int limit = -1);
    // Whether [start, start + length) is itself a match (for Replace of a selection).
    Match matchAt(int start, int length);

    // The replacement for a match: with regex, \1…\9 and $1…$9 (also ${12}) stand for the
    // groups, $0 and \0 for the whole match, \n for a line break, \t for a tab and \\ or
    // $$ for the character itself. Without regex the replacement is literal.
    QString replacement(const Match &m, const QString &with) const;

private:
    Match plainFind(int from, bool skipEmptyAtFrom);
    Match regexFind(int from, bool skipEmptyAtFrom);
    bool wholeWord(int start, int end) const;  // folded positions
    Match toOriginal(int start, int end) const;

    QString m_pattern;
    Options m_options;
    QString m_folded;  // the pattern after folding
    QRegularExpression m_re;
    QString m_error;
    int m_errorPos = -1;
    bool m_gaveUp = false;
    const QString *m_text = nullptr;
    QString m_empty;
    FoldedText m_subject;
};

struct ReplaceResult;
// Replace all over a text: every match from from on, the inserted text never searched
// again. An empty or invalid pattern, or one that gave up, replaces nothing (count 0).
ReplaceResult replaceAll(const QString &text, Matcher &matcher, const QString &with, int from = 0);

// "12 件中 3 件目", "12 件" without a current match, "0 件".
QString countText(int total, int current);

// The last max entries of a history, newest first, without duplicates.
QStringList addToHistory(const QStringList &history, const QString &entry, int max = 20);

}

#include "matcher.h"

#include "conversions.h"
#include "search.h"

#include <algorithm>

namespace Search {

namespace {

// A pattern may take at most this many backtracking steps from one starting point:
// about a twentieth of a second. Nested repeats such as (a|aa)+$ then stop instead of
// freezing the window for minutes.
constexpr int StepLimit = 1000000;
const QString LimitPrefix = QStringLiteral("(*LIMIT_MATCH=%1)").arg(StepLimit);

bool isSoundMark(char16_t c)
{
    return c == 0x309B || c == 0x309C || c == 0xFF9E || c == 0xFF9F || c == 0x3099 || c == 0x309A;
}

char16_t foldKana(char16_t c)
{
    // ァ…ヶ and ヽヾ to their hiragana, as the katakana-to-hiragana conversion does.
    if ((c >= 0x30A1 && c <= 0x30F6) || c == 0x30FD || c == 0x30FE)
        return char16_t(c - 0x60);
    return c;
}

// Classes of characters for whole-word matching: a word ends where the class changes,
// so "テスト" is a word in "これはテストです" but not in "テストケース".
enum class CharClass { None, Latin, Hiragana, Katakana, Kanji };

CharClass classOf(char32_t c)
{
    if (c >= 0x3041 && c <= 0x309F)
        return CharClass::Hiragana;
    if ((c >= 0x30A0 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) || (c >= 0xFF66 && c <= 0xFF9F))
        return CharClass::Katakana;
    if ((c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)
        || (c >= 0x20000 && c <= 0x3FFFF) || c == 0x3005 || c == 0x3007)
        return CharClass::Kanji;
    if (c == '_' || QChar::isLetterOrNumber(c) || QChar::isMark(c))
        return CharClass::Latin;
    return CharClass::None;
}

// The code point that ends just before pos / starts at pos.
char32_t codePointBefore(const QString &t, int pos)
{
    const char16_t c = t.at(pos - 1).unicode();
    if (QChar::isLowSurrogate(c) && pos >= 2 && QChar::isHighSurrogate(t.at(pos - 2).unicode()))
        return QChar::surrogateToUcs4(t.at(pos - 2), t.at(pos - 1));
    return c;
}

char32_t codePointAt(const QString &t, int pos)
{
    const char16_t c = t.at(pos).unicode();
    if (QChar::isHighSurrogate(c) && pos + 1 < t.size() && QChar::isLowSurrogate(t.at(pos + 1).unicode()))
        return QChar::surrogateToUcs4(t.at(pos), t.at(pos + 1));
    return c;
}

int nextPosition(const QString &t, int pos)
{
    if (pos < t.size() && QChar::isHighSurrogate(t.at(pos).unicode()) && pos + 1 < t.size()
        && QChar::isLowSurrogate(t.at(pos + 1).unicode()))
        return pos + 2;
    return pos + 1;
}

}  // namespace

int FoldedText::toFolded(int pos) const
{
    if (origin.empty())
        return pos;
    // Rounded up: a search from inside ｶﾞ starts after it, never before.
    const auto it = std::lower_bound(origin.begin(), origin.end(), pos);
    return int(it - origin.begin());
}

FoldedText fold(const QString &text, bool width, bool kana)
{
    FoldedText f;
    if (!width && !kana) {
        f.text = text;
        return f;
    }
    const int n = int(text.size());
    f.text.reserve(n);
    f.origin.reserve(size_t(n) + 1);
    const char16_t *s = reinterpret_cast<const char16_t *>(text.utf16());
    for (int i = 0; i < n; ++i) {
        const int from = i;
        char16_t c = s[i];
        if (width) {
            if (c >= 0xFF01 && c <= 0xFF5E)
                c = char16_t(c - 0xFEE0);
            else if (c == 0x3000)
                c = u' ';
            else if (const char16_t full = Conversion::fullWidthKana(c))
                c = full;
            // A separate sound mark after kana joins it: ｶﾞ, カ゛ and カ + U+3099 are ガ.
            if (i + 1 < n && isSoundMark(s[i + 1])) {
                if (const char16_t joined = Conversion::withSoundMark(c, s[i + 1])) {
                    c = joined;
                    ++i;
                }
            }
        }
        if (kana)
            c = foldKana(c);
        f.text.append(QChar(c));
        f.origin.push_back(from);
    }
    f.origin.push_back(n);
    return f;
}

Matcher::Matcher(const QString &pattern, const Options &options)
    : m_pattern(pattern), m_options(options), m_text(&m_empty)
{
    const FoldedText p = fold(pattern, options.width, options.kana);
    m_folded = p.text;
    if (!options.regex)
        return;
    QRegularExpression::PatternOptions o = QRegularExpression::MultilineOption
                                           | QRegularExpression::UseUnicodePropertiesOption;
    if (options.ignoreCase)
        o |= QRegularExpression::CaseInsensitiveOption;
    m_re.setPattern(LimitPrefix + m_folded);
    m_re.setPatternOptions(o);
    if (!m_re.isValid()) {
        const int at = std::clamp(int(m_re.patternErrorOffset()) - int(LimitPrefix.size()), 0, int(m_folded.size()));
        m_errorPos = p.toOriginal(at);
        m_error = QStringLiteral("正規表現に誤りがあります（%1 文字目）：%2").arg(m_errorPos + 1).arg(m_re.errorString());
    } else {
        m_re.optimize();
    }
}

void Matcher::setText(const QString &text)
{
    m_text = &text;
    m_subject = fold(text, m_options.width, m_options.kana);
    // The regular expression library checks the whole subject on every call unless told
    // it is valid: a search of 100,000 matches over 1 MB would check it 100,000 times.
    // It refuses a subject with a lone surrogate (a broken byte of a file can make one), so
    // such a code unit is searched as U+FFFD: one unit for one, positions unchanged.
    if (m_options.regex && !QStringView(m_subject.text).isValidUtf16()) {
        QString &t = m_subject.text;
        for (qsizetype i = 0; i < t.size(); ++i) {
            if (t.at(i).isHighSurrogate() && i + 1 < t.size() && t.at(i + 1).isLowSurrogate())
                ++i;
            else if (t.at(i).isSurrogate())
                t[i] = QChar::ReplacementCharacter;
        }
    }
}

Match Matcher::toOriginal(int start, int end) const
{
    Match m;
    m.start = m_subject.toOriginal(start);
    m.length = m_subject.toOriginal(end) - m.start;
    return m;
}

bool Matcher::wholeWord(int start, int end) const
{
    if (!m_options.word || start == end)
        return true;
    const QString &t = m_subject.text;
    const CharClass first = classOf(codePointAt(t, start));
    const CharClass last = classOf(codePointBefore(t, end));
    if (start > 0 && first != CharClass::None && classOf(codePointBefore(t, start)) == first)
        return false;
    if (end < t.size() && last != CharClass::None && classOf(codePointAt(t, end)) == last)
        return false;
    return true;
}

Match Matcher::plainFind(int from, bool skipEmptyAtFrom)
{
    const QString &t = m_subject.text;
    if (m_folded.isEmpty()) {
        // An empty search text matches where the search starts, while text remains.
        if (skipEmptyAtFrom)
            from = nextPosition(t, from);
        return from < t.size() ? toOriginal(from, from) : Match();
    }
    const Qt::CaseSensitivity cs = m_options.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    qsizetype at = t.indexOf(m_folded, from, cs);
    while (at >= 0 && !wholeWord(int(at), int(at + m_folded.size())))
        at = t.indexOf(m_folded, at + 1, cs);
    if (at < 0)
        return Match();
    return toOriginal(int(at), int(at + m_folded.size()));
}

Match Matcher::regexFind(int from, bool skipEmptyAtFrom)
{
    const QString &t = m_subject.text;
    int at = from;
    while (at <= t.size()) {
        const QRegularExpressionMatch rm = m_re.match(t, at, QRegularExpression::NormalMatch,
                                                        QRegularExpression::DontCheckSubjectStringMatchOption);
        if (!rm.isValid()) {
            // The step limit stopped the search.
            m_gaveUp = true;
            m_error = QStringLiteral("検索パターンが複雑すぎるため、検索を中止しました。");
            return Match();
        }
        if (!rm.hasMatch())
            return Match();
        const int s = int(rm.capturedStart()), e = int(rm.capturedEnd());
        if ((skipEmptyAtFrom && s == e && s == from) || !wholeWord(s, e)) {
            at = nextPosition(t, s);
            if (at > t.size())
                return Match();
            continue;
        }
        Match m = toOriginal(s, e);
        const int groups = m_re.captureCount();
        m.groups.reserve(size_t(groups) * 2);
        for (int g = 1; g <= groups; ++g) {
            const qsizetype gs = rm.capturedStart(g);
            if (gs < 0) {
                m.groups.push_back(-1);
                m.groups.push_back(-1);
            } else {
                m.groups.push_back(m_subject.toOriginal(int(gs)));
                m.groups.push_back(m_subject.toOriginal(int(rm.capturedEnd(g))));
            }
        }
        return m;
    }
    return Match();
}

Match Matcher::find(int from, bool skipEmptyAtFrom)
{
    if (!isValid())
        return Match();
    from = std::clamp(m_subject.toFolded(std::max(0, from)), 0, int(m_subject.text.size()));
    return m_options.regex ? regexFind(from, skipEmptyAtFrom) : plainFind(from, skipEmptyAtFrom);
}

std::vector<Match> Matcher::findAll(int from, int limit)
{
    std::vector<Match> all;
    bool skip = false;
    while (limit < 0 || int(all.size()) < limit) {
        Match m = find(from, skip);
        if (!m.found())
            break;
        from = m.end();
        skip = m.length == 0;
        all.push_back(std::move(m));
    }
    return all;
}

Match Matcher::matchAt(int start, int length)
{
    const Match m = find(start);
    if (m.start == start && m.length == length)
        return m;
    return Match();
}

QString Matcher::replacement(const Match &m, const QString &with) const
{
    if (!m_options.regex)
        return with;
    const QString &t = *m_text;
    auto group = [&](int g) -> QStringView {
        if (g == 0)
            return QStringView(t).mid(m.start, m.length);
        if (g < 0 || size_t(g) * 2 > m.groups.size() || m.groups[size_t(g) * 2 - 2] < 0)
            return {};
        const int s = m.groups[size_t(g) * 2 - 2], e = m.groups[size_t(g) * 2 - 1];
        return QStringView(t).mid(s, e - s);
    };
    QString out;
    out.reserve(with.size());
    const int n = int(with.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = with.at(i);
        if ((c == u'\\' || c == u'$') && i + 1 < n) {
            const QChar d = with.at(i + 1);
            if (d.isDigit() && d.unicode() < 128) {
                out += group(d.digitValue());
                ++i;
                continue;
            }
            if (c == u'$' && d == u'{') {
                const int close = int(with.indexOf(u'}', i + 2));
                bool ok = false;
                const int g = close > 0 ? with.mid(i + 2, close - i - 2).toInt(&ok) : -1;
                if (ok) {
                    out += group(g);
                    i = close;
                    continue;
                }
            }
            if (c == u'$' && d == u'$') {
                out += u'$';
                ++i;
                continue;
            }
            if (c == u'\\') {
                out += d == u'n' ? QChar(u'\n') : d == u't' ? QChar(u'\t') : d;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

ReplaceResult replaceAll(const QString &text, Matcher &matcher, const QString &with, int from)
{
    ReplaceResult r;
    if (matcher.pattern().isEmpty())  // an empty pattern would match between every character
        return r;
    matcher.setText(text);
    const std::vector<Match> all = matcher.findAll(from);
    if (all.empty() || matcher.gaveUp())
        return r;
    r.first = all.front().start;
    int copied = r.first;
    for (const Match &m : all) {
        r.middle.append(QStringView(text).mid(copied, m.start - copied));
        r.middle.append(matcher.replacement(m, with));
        copied = m.end();
    }
    r.count = int(all.size());
    r.oldEnd = copied;
    return r;
}

QString countText(int total, int current)
{
    if (total > 0 && current > 0)
        return QStringLiteral("%1 件中 %2 件目").arg(total).arg(current);
    return QStringLiteral("%1 件").arg(total);
}

QStringList addToHistory(const QStringList &history, const QString &entry, int max)
{
    QStringList out = history;
    if (!entry.isEmpty()) {
        out.removeAll(entry);
        out.prepend(entry);
    }
    while (out.size() > max)
        out.removeLast();
    return out;
}

}

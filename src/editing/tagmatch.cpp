#include "tagmatch.h"

#include <QString>

#include <algorithm>

namespace TagMatch {

namespace {

bool oneOf(const QString &name, std::initializer_list<const char *> names)
{
    for (const char *n : names)
        if (name == QLatin1String(n))
            return true;
    return false;
}

}

// Elements whose end tag browsers let the author leave out.
bool optionalEnd(const QString &name)
{
    return oneOf(name, {"p", "li", "dt", "dd", "option", "optgroup", "tr", "td", "th", "thead", "tbody", "tfoot",
                        "colgroup", "rb", "rt", "rp"});
}

// Whether a start tag `incoming` closes an open element `open` that left out its end.
bool impliedEnd(const QString &open, const QString &incoming)
{
    if (open == QLatin1String("p"))
        return oneOf(incoming, {"address", "article", "aside", "blockquote", "details", "dialog", "div", "dl",
                                "fieldset", "figcaption", "figure", "footer", "form", "h1", "h2", "h3", "h4", "h5",
                                "h6", "header", "hgroup", "hr", "main", "menu", "nav", "ol", "p", "pre", "section",
                                "table", "ul"});
    if (open == QLatin1String("li"))
        return incoming == QLatin1String("li");
    if (open == QLatin1String("dt") || open == QLatin1String("dd"))
        return oneOf(incoming, {"dt", "dd"});
    if (open == QLatin1String("option"))
        return oneOf(incoming, {"option", "optgroup"});
    if (open == QLatin1String("optgroup"))
        return incoming == QLatin1String("optgroup");
    if (open == QLatin1String("td") || open == QLatin1String("th"))
        return oneOf(incoming, {"td", "th", "tr", "tbody", "tfoot"});
    if (open == QLatin1String("tr"))
        return oneOf(incoming, {"tr", "tbody", "tfoot"});
    if (open == QLatin1String("thead") || open == QLatin1String("tbody"))
        return oneOf(incoming, {"tbody", "tfoot"});
    if (open == QLatin1String("rt") || open == QLatin1String("rp") || open == QLatin1String("rb"))
        return oneOf(incoming, {"rt", "rp", "rb"});
    return false;
}

bool isVoid(QStringView name)
{
    static const char *const kVoid[] = {"area", "base", "br",    "col",  "embed",  "hr",    "img",
                                        "input", "link", "meta", "param", "source", "track", "wbr", "keygen"};
    for (const char *v : kVoid)
        if (name.compare(QLatin1String(v), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

std::vector<Tag> scanTags(QStringView text, int state, int offset, int *endState)
{
    std::vector<Tag> tags;
    std::vector<Syntax::Token> tokens;
    std::optional<Tag> open;
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        const QStringView line = text.sliced(lineStart, lineEnd - lineStart);
        tokens.clear();
        state = Syntax::tokenizeLine(line, state, &tokens);
        for (size_t k = 0; k < tokens.size(); ++k) {
            const Syntax::Token &t = tokens[k];
            const int at = int(lineStart) + t.start;
            if (t.kind == Syntax::Kind::Tag && line[t.start] == u'<' && k + 1 < tokens.size() &&
                tokens[k + 1].kind == Syntax::Kind::TagName) {
                const Syntax::Token &name = tokens[k + 1];
                Tag tag;
                tag.start = at + offset;
                tag.closing = t.length == 2;
                tag.nameStart = int(lineStart) + name.start + offset;
                tag.nameEnd = tag.nameStart + name.length;
                tag.name = line.sliced(name.start, name.length).toString().toLower();
                tag.selfClosing = !tag.closing && isVoid(tag.name);
                open = tag;
                ++k;
            } else if (t.kind == Syntax::Kind::Tag && line[t.start] != u'<' && open) {
                open->end = at + t.length + offset;
                if (t.length == 2)
                    open->selfClosing = !open->closing;
                tags.push_back(*open);
                open.reset();
            }
        }
        lineStart = lineEnd + 1;
    }
    if (endState)
        *endState = state;
    return tags;
}

Forward::Forward(QStringView name)
{
    m_stack.push_back(name.toString().toLower());
}

bool Forward::feed(const Tag &t)
{
    const QString &name = t.name;
    if (!t.closing) {
        if (t.selfClosing)
            return false;
        while (!m_stack.empty() && impliedEnd(m_stack.back(), name)) {
            m_stack.pop_back();
            if (m_stack.empty())
                return true;  // closed by the browser, without an end tag of its own
        }
        m_stack.push_back(name);
        return false;
    }
    for (int k = int(m_stack.size()) - 1; k >= 0; --k) {
        if (m_stack[k] != name)
            continue;
        if (k == 0) {
            m_result = t;
            return true;
        }
        m_stack.resize(k);
        return false;
    }
    // An end tag of an element opened before ours: ours, if its end is optional, ends here.
    return optionalEnd(m_stack.front());
}

Backward::Backward(QStringView name)
{
    m_stack.push_back(name.toString().toLower());
}

bool Backward::feed(const Tag &t)
{
    if (t.selfClosing)
        return false;
    const QString &name = t.name;
    if (t.closing) {
        m_stack.push_back(name);
        return false;
    }
    // A start tag whose end tag is not the one waiting was left open: skip it.
    if (m_stack.back() != name)
        return false;
    m_stack.pop_back();
    if (m_stack.empty()) {
        m_result = t;
        return true;
    }
    return false;
}

int tagAt(const std::vector<Tag> &tags, int pos)
{
    // Tags are in order: the last one starting at or before pos.
    auto it = std::upper_bound(tags.begin(), tags.end(), pos, [](int p, const Tag &t) { return p < t.start; });
    if (it == tags.begin())
        return -1;
    --it;
    return pos < it->end ? int(it - tags.begin()) : -1;
}

std::optional<Pair> matchTag(QStringView text, int caret)
{
    const std::vector<Tag> tags = scanTags(text);
    const int i = tagAt(tags, caret);
    if (i < 0 || tags[i].selfClosing)
        return std::nullopt;
    const Tag &t = tags[i];
    if (!t.closing) {
        Forward f(t.name);
        for (size_t k = i + 1; k < tags.size(); ++k)
            if (f.feed(tags[k]))
                break;
        if (f.result())
            return Pair{t, *f.result()};
        return std::nullopt;
    }
    Backward b(t.name);
    for (int k = i - 1; k >= 0; --k)
        if (b.feed(tags[k]))
            break;
    if (b.result())
        return Pair{t, *b.result()};
    return std::nullopt;
}

std::vector<int> bracketPositions(QStringView text, int state, int offset)
{
    std::vector<int> out;
    std::vector<Syntax::Token> tokens;
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        tokens.clear();
        state = Syntax::tokenizeLine(text.sliced(lineStart, lineEnd - lineStart), state, &tokens);
        for (const Syntax::Token &t : tokens) {
            if (t.kind == Syntax::Kind::Bracket)
                out.push_back(int(lineStart) + t.start + offset);
            else if (t.kind == Syntax::Kind::Tag)
                out.push_back(-1);  // the code ends: brackets never match across it
        }
        lineStart = lineEnd + 1;
    }
    return out;
}

int bracketPartner(QStringView text, int offset, const std::vector<int> &brackets, int index)
{
    static const QStringView opens = u"([{";
    static const QStringView closes = u")]}";
    const QChar c = text[brackets[index] - offset];
    const qsizetype o = opens.indexOf(c);
    const qsizetype cl = closes.indexOf(c);
    const int step = o >= 0 ? 1 : -1;
    const QChar same = c;
    const QChar other = o >= 0 ? closes[o] : opens[cl];
    int depth = 0;
    for (int k = index + step; k >= 0 && k < int(brackets.size()); k += step) {
        if (brackets[k] < 0)
            return -1;
        const QChar d = text[brackets[k] - offset];
        if (d == same)
            ++depth;
        else if (d == other) {
            if (depth == 0)
                return k;
            --depth;
        }
    }
    return -1;
}

std::optional<std::pair<int, int>> matchBracket(QStringView text, int caret)
{
    const std::vector<int> brackets = bracketPositions(text, Syntax::InitialState, 0);
    // The bracket after the caret first, then the one before it.
    for (int pos : {caret, caret - 1}) {
        const auto it = std::find(brackets.begin(), brackets.end(), pos);
        if (pos < 0 || it == brackets.end())
            continue;
        const int k = bracketPartner(text, 0, brackets, int(it - brackets.begin()));
        if (k >= 0)
            return std::make_pair(pos, brackets[k]);
    }
    return std::nullopt;
}

}

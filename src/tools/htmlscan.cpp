#include "htmlscan.h"

#include <algorithm>

namespace HtmlScan {

namespace {

bool isSpace(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == 0x3000;
}

bool isAsciiLetter(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char16_t lower(char16_t c)
{
    return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
}

bool isRawTextElement(QStringView name)
{
    for (const char *raw : {"script", "style", "textarea", "title", "xmp"})
        if (name.compare(QLatin1StringView(raw), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

}

bool equals(QStringView text, int start, int length, QLatin1StringView lowerWord)
{
    if (length != lowerWord.size())
        return false;
    for (int i = 0; i < length; ++i)
        if (lower(text[start + i].unicode()) != char16_t(lowerWord[i].unicode()))
            return false;
    return true;
}

const Attribute *attribute(QStringView text, const Token &t, QLatin1StringView lowerWord)
{
    for (const Attribute &a : t.attributes)
        if (equals(text, a.nameStart, a.nameLength, lowerWord))
            return &a;
    return nullptr;
}

QString lowerName(QStringView text, const Token &t)
{
    return text.mid(t.nameStart, t.nameLength).toString().toLower();
}

bool Scanner::next(Token &token)
{
    const int n = int(m_text.size());
    if (m_pos >= n)
        return false;
    token.attributes.clear();
    token.closed = true;
    token.rawText = false;
    token.nameStart = token.nameLength = 0;
    token.start = m_pos;

    if (!m_rawEnd.isEmpty()) {
        // Everything up to the element's end tag is text.
        int from = m_pos;
        int end = n;
        const QString needle = QStringLiteral("</") + m_rawEnd;
        while (true) {
            const qsizetype i = m_text.indexOf(needle, from, Qt::CaseInsensitive);
            if (i < 0)
                break;
            const qsizetype after = i + needle.size();
            if (after >= n || isSpace(m_text[after].unicode()) || m_text[after] == u'/' || m_text[after] == u'>') {
                end = int(i);
                break;
            }
            from = int(after);
        }
        m_rawEnd.clear();
        if (end > m_pos) {
            token.type = Token::Text;
            token.rawText = true;
            token.end = end;
            m_pos = end;
            return true;
        }
    }

    const char16_t c = m_text[m_pos].unicode();
    if (c == '<' && m_pos + 1 < n) {
        const char16_t d = m_text[m_pos + 1].unicode();
        if (d == '!' && m_text.mid(m_pos, 4) == QLatin1StringView("<!--")) {
            token.type = Token::Comment;
            // "<!-->" and "<!--->" are empty comments.
            if (m_pos + 4 < n && m_text[m_pos + 4] == u'>') {
                token.end = m_pos + 5;
            } else if (m_pos + 5 < n && m_text[m_pos + 4] == u'-' && m_text[m_pos + 5] == u'>') {
                token.end = m_pos + 6;
            } else {
                const qsizetype close = m_text.indexOf(QLatin1StringView("-->"), m_pos + 4);
                token.closed = close >= 0;
                token.end = close >= 0 ? int(close) + 3 : n;
            }
            m_pos = token.end;
            return true;
        }
        if (d == '!' || d == '?') {
            token.type = Token::Declaration;
            const qsizetype close = m_text.indexOf(u'>', m_pos + 2);
            token.closed = close >= 0;
            token.end = close >= 0 ? int(close) + 1 : n;
            m_pos = token.end;
            return true;
        }
        if (isAsciiLetter(d)) {
            readTag(token, m_pos, false);
            return true;
        }
        if (d == '/' && m_pos + 2 < n && isAsciiLetter(m_text[m_pos + 2].unicode())) {
            readTag(token, m_pos, true);
            return true;
        }
    }

    // Text up to the next "<" that begins markup.
    token.type = Token::Text;
    int p = m_pos + 1;
    while (p < n) {
        const qsizetype lt = m_text.indexOf(u'<', p);
        if (lt < 0 || lt + 1 >= n) {
            p = n;
            break;
        }
        const char16_t d = m_text[lt + 1].unicode();
        if (isAsciiLetter(d) || d == '!' || d == '?' ||
            (d == '/' && lt + 2 < n && isAsciiLetter(m_text[lt + 2].unicode()))) {
            p = int(lt);
            break;
        }
        p = int(lt) + 1;
    }
    token.end = p;
    m_pos = p;
    return true;
}

void Scanner::readTag(Token &token, int lt, bool end)
{
    const int n = int(m_text.size());
    token.type = end ? Token::EndTag : Token::StartTag;
    int p = lt + (end ? 2 : 1);
    token.nameStart = p;
    while (p < n) {
        const char16_t c = m_text[p].unicode();
        if (isSpace(c) || c == '/' || c == '>')
            break;
        ++p;
    }
    token.nameLength = p - token.nameStart;

    while (p < n) {
        const char16_t c = m_text[p].unicode();
        if (isSpace(c) || c == '/') {
            ++p;
            continue;
        }
        if (c == '>') {
            token.end = p + 1;
            m_pos = token.end;
            if (!end && isRawTextElement(m_text.mid(token.nameStart, token.nameLength)))
                m_rawEnd = m_text.mid(token.nameStart, token.nameLength).toString().toLower();
            return;
        }
        Attribute a;
        a.nameStart = p;
        ++p;  // a name may begin with "="
        while (p < n) {
            const char16_t e = m_text[p].unicode();
            if (isSpace(e) || e == '/' || e == '>' || e == '=')
                break;
            ++p;
        }
        a.nameLength = p - a.nameStart;
        int q = p;
        while (q < n && isSpace(m_text[q].unicode()))
            ++q;
        if (q < n && m_text[q] == u'=') {
            ++q;
            while (q < n && isSpace(m_text[q].unicode()))
                ++q;
            if (q < n && (m_text[q] == u'"' || m_text[q] == u'\'')) {
                a.quote = m_text[q].unicode();
                a.valueStart = q + 1;
                const qsizetype close = m_text.indexOf(QChar(a.quote), q + 1);
                if (close < 0) {
                    a.valueLength = n - a.valueStart;
                    if (!end)
                        token.attributes.push_back(a);
                    break;
                }
                a.valueLength = int(close) - a.valueStart;
                p = int(close) + 1;
            } else {
                a.valueStart = q;
                while (q < n) {
                    const char16_t e = m_text[q].unicode();
                    if (isSpace(e) || e == '>')
                        break;
                    ++q;
                }
                a.valueLength = q - a.valueStart;
                p = q;
            }
        }
        if (!end)
            token.attributes.push_back(a);
    }
    token.closed = false;
    token.end = n;
    m_pos = n;
}

namespace {

bool isVoid(const QString &name)
{
    static const char *const kVoid[] = {"area", "base", "basefont", "bgsound", "br", "col", "embed",
                                        "frame", "hr", "img", "input", "isindex", "keygen", "link",
                                        "meta", "param", "source", "spacer", "track", "wbr"};
    return std::any_of(std::begin(kVoid), std::end(kVoid), [&](const char *v) { return name == QLatin1StringView(v); });
}

// Elements an open sibling of the same group closes: <li><li>, <td><td>, <p><p>, …
int siblingGroup(const QString &name)
{
    if (name == u"p")
        return 1;
    if (name == u"li")
        return 2;
    if (name == u"dt" || name == u"dd")
        return 3;
    if (name == u"td" || name == u"th")
        return 4;
    if (name == u"tr")
        return 5;
    if (name == u"option")
        return 6;
    return 0;
}

}

int nestingDepth(QStringView text)
{
    std::vector<QString> open;
    size_t deepest = 0;
    Scanner scanner(text);
    Token t;
    while (scanner.next(t)) {
        if (t.type == Token::StartTag) {
            const QString name = lowerName(text, t);
            if (isVoid(name))
                continue;
            const int group = siblingGroup(name);
            if (group == 5) {
                while (!open.empty() && siblingGroup(open.back()) == 4)
                    open.pop_back();
            }
            if (group != 0 && !open.empty() && siblingGroup(open.back()) == group)
                open.pop_back();
            open.push_back(name);
            deepest = std::max(deepest, open.size());
        } else if (t.type == Token::EndTag) {
            const QString name = lowerName(text, t);
            // Only the innermost few are looked at, so stray end tags cost nothing.
            const size_t look = std::min<size_t>(open.size(), 16);
            for (size_t i = 1; i <= look; ++i) {
                if (open[open.size() - i] == name) {
                    open.resize(open.size() - i);
                    break;
                }
            }
        }
    }
    return int(deepest);
}

}

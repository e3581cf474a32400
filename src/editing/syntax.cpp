#include "syntax.h"

#include <QtGlobal>
#include <cstring>

namespace Syntax {

namespace {

// Low five bits: where the tokenizer is. The return mode says where a server block or
// a CSS comment/string goes back to.
enum Mode : int {
    Text,
    HtmlComment,
    Decl,
    InTag,
    TagEq,
    TagDq,
    TagSq,
    ServerPhp,
    ServerAsp,
    Js,
    JsBlockComment,
    JsDq,
    JsSq,
    JsTpl,
    CssSel,
    CssProp,
    CssVal,
    CssComment,
    CssDq,
    CssSq,
};

constexpr int ModeMask = 0x1f;
constexpr int RetShift = 5;
constexpr int DepthShift = 10;
constexpr int DepthMask = 0x7;
constexpr int OpensScript = 1 << 13;  // the tag being read is <script>
constexpr int OpensStyle = 1 << 14;   // … <style>
constexpr int StyleAttr = 1 << 15;    // the attribute being read is style=
constexpr int CssValPart = 1 << 16;   // inside style="…", after a ":"

// Only ASCII white space separates names and attributes, as in browsers: a full-width
// space inside a tag becomes part of the name or value, and the colours show it.
bool isSpace(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f';
}

bool isAsciiLetter(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char16_t c)
{
    return c >= '0' && c <= '9';
}

bool isHex(char16_t c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isIdentStart(char16_t c)
{
    return isAsciiLetter(c) || c == '_' || c == '$' || c > 0x7f;
}

bool isIdentPart(char16_t c)
{
    return isIdentStart(c) || isDigit(c);
}

char16_t lower(char16_t c)
{
    return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
}

// Case-insensitive comparison of line[i…] with the lower-case ASCII word w.
bool matchesCI(QStringView line, int i, const char *w)
{
    const int n = int(line.size());
    for (; *w; ++w, ++i) {
        if (i >= n || lower(line[i].unicode()) != char16_t(*w))
            return false;
    }
    return true;
}

bool equalsCI(QStringView s, const char *w)
{
    int i = 0;
    for (; *w; ++w, ++i) {
        if (i >= s.size() || lower(s[i].unicode()) != char16_t(*w))
            return false;
    }
    return i == s.size();
}

bool isJsKeyword(QStringView w)
{
    static const char *const kWords[] = {
        "await",  "break",   "case",     "catch",  "class",      "const",  "continue", "debugger",
        "default", "delete", "do",       "else",   "export",     "extends", "false",   "finally",
        "for",    "function", "if",      "import", "in",         "instanceof", "let",  "new",
        "null",   "of",      "return",   "static", "super",      "switch", "this",     "throw",
        "true",   "try",     "typeof",   "undefined", "var",     "void",   "while",    "with",
        "yield",  "async",
    };
    if (w.size() < 2 || w.size() > 10)
        return false;
    for (const char *k : kWords) {
        int i = 0;
        while (k[i] && i < w.size() && w[i].unicode() == char16_t(k[i]))
            ++i;
        if (!k[i] && i == w.size())
            return true;
    }
    return false;
}

// Length of a character reference at line[i] (which is "&"), or 0 when there is none.
int charRefLength(QStringView line, int i)
{
    const int n = int(line.size());
    int j = i + 1;
    if (j < n && line[j] == u'#') {
        ++j;
        const bool hex = j < n && (line[j] == u'x' || line[j] == u'X');
        if (hex)
            ++j;
        const int digits = j;
        while (j < n && (hex ? isHex(line[j].unicode()) : isDigit(line[j].unicode())))
            ++j;
        if (j == digits)
            return 0;
        if (j < n && line[j] == u';')
            ++j;
        return j - i;
    }
    if (j >= n || !isAsciiLetter(line[j].unicode()))
        return 0;
    while (j < n && (isAsciiLetter(line[j].unicode()) || isDigit(line[j].unicode())))
        ++j;
    // Named references count only with their ";": "a&b" in a text is not one.
    if (j < n && line[j] == u';')
        return j + 1 - i;
    return 0;
}

// "</script" or "</style" (by name) followed by a space, "/", ">" or the line's end.
bool isRawEnd(QStringView line, int i, const char *name)
{
    if (!(line[i] == u'<' && i + 1 < line.size() && line[i + 1] == u'/'))
        return false;
    if (!matchesCI(line, i + 2, name))
        return false;
    int j = i + 2;
    while (name[j - i - 2])
        ++j;
    return j >= line.size() || isSpace(line[j].unicode()) || line[j] == u'/' || line[j] == u'>';
}

class Lexer {
public:
    Lexer(QStringView line, int state, std::vector<Token> *out) : s(line), n(int(line.size())), out(out)
    {
        mode = state & ModeMask;
        ret = (state >> RetShift) & ModeMask;
        depth = (state >> DepthShift) & DepthMask;
        flags = state & (OpensScript | OpensStyle | StyleAttr | CssValPart);
        if (mode > CssSq)
            mode = Text;
        if (ret > CssSq)
            ret = Text;
    }

    int run()
    {
        while (i < n) {
            switch (mode) {
            case Text: text(); break;
            case HtmlComment: htmlComment(); break;
            case Decl: decl(); break;
            case InTag: inTag(); break;
            case TagEq: tagEq(); break;
            case TagDq: tagQuoted(u'"'); break;
            case TagSq: tagQuoted(u'\''); break;
            case ServerPhp: server(u'?'); break;
            case ServerAsp: server(u'%'); break;
            case Js: js(); break;
            case JsBlockComment: jsBlockComment(); break;
            case JsDq: jsString(u'"'); break;
            case JsSq: jsString(u'\''); break;
            case JsTpl: jsString(u'`'); break;
            case CssSel:
            case CssProp:
            case CssVal: css(); break;
            case CssComment: cssComment(); break;
            case CssDq: cssString(u'"'); break;
            case CssSq: cssString(u'\''); break;
            default: mode = Text; break;
            }
        }
        // A JavaScript string ends with its line unless the line ends in a backslash.
        if ((mode == JsDq || mode == JsSq) && !(n > 0 && s[n - 1] == u'\\'))
            mode = Js;
        if (mode == CssDq || mode == CssSq) {
            mode = ret;
            ret = Text;
        }
        return mode | (ret << RetShift) | (depth << DepthShift) | flags;
    }

private:
    void put(int start, int end, Kind k)
    {
        if (out && end > start && k != Kind::Plain) {
            // Brackets and tag punctuation stay one token each (the matchers read them).
            if (!out->empty() && k != Kind::Tag && k != Kind::Bracket) {
                Token &last = out->back();
                if (last.kind == k && last.start + last.length == start) {
                    last.length += end - start;
                    return;
                }
            }
            out->push_back({start, end - start, k});
        }
    }

    // Emits [a, b) as kind k with character references split out.
    void putWithRefs(int a, int b, Kind k)
    {
        int from = a;
        for (int j = a; j < b; ++j) {
            if (s[j] != u'&')
                continue;
            const int len = charRefLength(s.first(b), j);
            if (len == 0)
                continue;
            put(from, j, k);
            put(j, j + len, Kind::CharRef);
            j += len - 1;
            from = j + 1;
        }
        put(from, b, k);
    }

    // Finds w (ASCII) from i; -1 when absent.
    int find(const char *w, int from) const
    {
        const int len = int(strlen(w));
        for (int j = from; j + len <= n; ++j) {
            int k = 0;
            while (k < len && s[j + k].unicode() == char16_t(w[k]))
                ++k;
            if (k == len)
                return j;
        }
        return -1;
    }

    bool serverStart(int j) const
    {
        return s[j] == u'<' && j + 1 < n && (s[j + 1] == u'?' || s[j + 1] == u'%');
    }

    void enterServer(int back)
    {
        ret = back;
        mode = s[i + 1] == u'?' ? ServerPhp : ServerAsp;
        put(i, i + 2, Kind::Server);
        i += 2;
    }

    // "<" at i opens a tag, comment, declaration or server block; false when it is text.
    bool openMarkup()
    {
        if (i + 1 >= n)
            return false;
        const char16_t c = s[i + 1].unicode();
        if (c == '!') {
            if (i + 3 < n && s[i + 2] == u'-' && s[i + 3] == u'-') {
                put(i, i + 4, Kind::Comment);
                i += 4;
                mode = HtmlComment;
                // "<!-->" and "<!--->" are complete (empty) comments, as browsers read them.
                if (i < n && s[i] == u'>') {
                    put(i, i + 1, Kind::Comment);
                    ++i;
                    mode = Text;
                } else if (i + 1 < n && s[i] == u'-' && s[i + 1] == u'>') {
                    put(i, i + 2, Kind::Comment);
                    i += 2;
                    mode = Text;
                }
                return true;
            }
            put(i, i + 2, Kind::Doctype);
            i += 2;
            mode = Decl;
            return true;
        }
        if (c == '?' || c == '%') {
            enterServer(Text);
            return true;
        }
        const bool end = c == '/';
        const int nameStart = i + (end ? 2 : 1);
        if (nameStart >= n || !isAsciiLetter(s[nameStart].unicode()))
            return false;
        int j = nameStart;
        while (j < n && !isSpace(s[j].unicode()) && s[j] != u'/' && s[j] != u'>' && s[j] != u'<')
            ++j;
        put(i, nameStart, Kind::Tag);
        put(nameStart, j, Kind::TagName);
        const QStringView name = s.sliced(nameStart, j - nameStart);
        flags = 0;
        if (!end && equalsCI(name, "script"))
            flags |= OpensScript;
        else if (!end && equalsCI(name, "style"))
            flags |= OpensStyle;
        mode = InTag;
        i = j;
        return true;
    }

    void text()
    {
        while (i < n) {
            const char16_t c = s[i].unicode();
            if (c == '<' && openMarkup())
                return;
            if (c == '&') {
                const int len = charRefLength(s, i);
                if (len > 0) {
                    put(i, i + len, Kind::CharRef);
                    i += len;
                    continue;
                }
            }
            ++i;
        }
    }

    void htmlComment()
    {
        const int e = find("-->", i);
        const int end = e < 0 ? n : e + 3;
        put(i, end, Kind::Comment);
        i = end;
        if (e >= 0)
            mode = Text;
    }

    void decl()
    {
        int j = i;
        while (j < n && s[j] != u'>')
            ++j;
        if (j < n) {
            put(i, j + 1, Kind::Doctype);
            i = j + 1;
            mode = Text;
        } else {
            put(i, n, Kind::Doctype);
            i = n;
        }
    }

    void closeTag(int len)
    {
        put(i, i + len, Kind::Tag);
        i += len;
        if (flags & OpensScript)
            mode = Js;
        else if (flags & OpensStyle) {
            mode = CssSel;
            depth = 0;
        } else
            mode = Text;
        flags = 0;
    }

    void inTag()
    {
        while (i < n && isSpace(s[i].unicode()))
            ++i;
        if (i >= n)
            return;
        const char16_t c = s[i].unicode();
        if (c == '>') {
            closeTag(1);
            return;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == u'>') {
            closeTag(2);
            return;
        }
        if (serverStart(i)) {
            enterServer(InTag);
            return;
        }
        if (c == '=') {
            ++i;
            mode = TagEq;
            return;
        }
        if (c == '/') {
            ++i;
            return;
        }
        int j = i + 1;
        while (j < n && !isSpace(s[j].unicode()) && s[j] != u'/' && s[j] != u'>' && s[j] != u'=')
            ++j;
        put(i, j, Kind::AttrName);
        flags &= ~(StyleAttr | CssValPart);
        if (equalsCI(s.sliced(i, j - i), "style"))
            flags |= StyleAttr;
        i = j;
    }

    void tagEq()
    {
        while (i < n && isSpace(s[i].unicode()))
            ++i;
        if (i >= n)
            return;
        const char16_t c = s[i].unicode();
        if (c == '"' || c == '\'') {
            put(i, i + 1, Kind::AttrValue);
            ++i;
            mode = c == '"' ? TagDq : TagSq;
            flags &= ~CssValPart;
            return;
        }
        if (c == '>') {
            mode = InTag;
            return;
        }
        if (serverStart(i)) {
            enterServer(InTag);
            return;
        }
        int j = i;
        while (j < n && !isSpace(s[j].unicode()) && s[j] != u'>')
            ++j;
        putWithRefs(i, j, Kind::AttrValue);
        i = j;
        mode = InTag;
    }

    // Declarations of a style="…" value: properties, then values after ":".
    void styleDeclarations(int a, int b)
    {
        int from = a;
        for (int j = a; j < b; ++j) {
            const char16_t c = s[j].unicode();
            if (c == ':' && !(flags & CssValPart)) {
                put(from, j, Kind::CssProperty);
                from = j + 1;
                flags |= CssValPart;
            } else if (c == ';') {
                put(from, j, (flags & CssValPart) ? Kind::CssValue : Kind::CssProperty);
                from = j + 1;
                flags &= ~CssValPart;
            }
        }
        put(from, b, (flags & CssValPart) ? Kind::CssValue : Kind::CssProperty);
    }

    void tagQuoted(char16_t quote)
    {
        int j = i;
        while (j < n && s[j] != quote && !serverStart(j))
            ++j;
        if (flags & StyleAttr)
            styleDeclarations(i, j);
        else
            putWithRefs(i, j, Kind::AttrValue);
        i = j;
        if (i >= n)
            return;
        if (s[i] == quote) {
            put(i, i + 1, Kind::AttrValue);
            ++i;
            mode = InTag;
            flags &= ~(StyleAttr | CssValPart);
            return;
        }
        enterServer(mode);
    }

    void server(char16_t closer)
    {
        int j = i;
        while (j + 1 < n && !(s[j] == closer && s[j + 1] == u'>'))
            ++j;
        if (j + 1 < n) {
            put(i, j + 2, Kind::Server);
            i = j + 2;
            mode = ret;
            ret = Text;
        } else {
            put(i, n, Kind::Server);
            i = n;
        }
    }

    // Ends a script at "</script", as browsers do wherever it stands.
    bool scriptEnds()
    {
        if (s[i] == u'<' && isRawEnd(s, i, "script")) {
            mode = Text;
            openMarkup();
            return true;
        }
        return false;
    }

    bool regexAllowed() const
    {
        for (int j = i - 1; j >= 0; --j) {
            const char16_t c = s[j].unicode();
            if (isSpace(c))
                continue;
            return QStringView(u"(,=:[!&|?{};+-*%<>~^").contains(QChar(c));
        }
        return true;
    }

    void js()
    {
        while (i < n) {
            const char16_t c = s[i].unicode();
            if (c == '<') {
                if (scriptEnds())
                    return;
                if (serverStart(i)) {
                    enterServer(Js);
                    return;
                }
                ++i;
                continue;
            }
            if (c == '/' && i + 1 < n && s[i + 1] == u'/') {
                int j = i + 2;
                while (j < n && !(s[j] == u'<' && isRawEnd(s, j, "script")))
                    ++j;
                put(i, j, Kind::Comment);
                i = j;
                continue;
            }
            if (c == '/' && i + 1 < n && s[i + 1] == u'*') {
                put(i, i + 2, Kind::Comment);
                i += 2;
                mode = JsBlockComment;
                return;
            }
            if (c == '/' && regexAllowed()) {
                int j = i + 1;
                bool inClass = false;
                while (j < n) {
                    const char16_t d = s[j].unicode();
                    if (d == '\\') {
                        j += 2;
                        continue;
                    }
                    if (d == '[')
                        inClass = true;
                    else if (d == ']')
                        inClass = false;
                    else if (d == '/' && !inClass)
                        break;
                    else if (d == '<' && isRawEnd(s, j, "script"))
                        break;
                    ++j;
                }
                if (j < n && s[j] == u'/') {
                    ++j;
                    while (j < n && isAsciiLetter(s[j].unicode()))
                        ++j;
                    put(i, j, Kind::JsString);
                    i = j;
                    continue;
                }
                ++i;
                continue;
            }
            if (c == '"' || c == '\'' || c == '`') {
                put(i, i + 1, Kind::JsString);
                ++i;
                mode = c == '"' ? JsDq : c == '\'' ? JsSq : JsTpl;
                return;
            }
            if (isDigit(c) || (c == '.' && i + 1 < n && isDigit(s[i + 1].unicode()))) {
                int j = i + 1;
                while (j < n && (isIdentPart(s[j].unicode()) || s[j] == u'.'))
                    ++j;
                put(i, j, Kind::JsNumber);
                i = j;
                continue;
            }
            if (isIdentStart(c)) {
                int j = i + 1;
                while (j < n && isIdentPart(s[j].unicode()))
                    ++j;
                const QStringView w = s.sliced(i, j - i);
                const bool member = i > 0 && s[i - 1] == u'.';
                if (!member && isJsKeyword(w))
                    put(i, j, Kind::JsKeyword);
                i = j;
                continue;
            }
            if (c == '(' || c == ')' || c == '[' || c == ']' || c == '{' || c == '}')
                put(i, i + 1, Kind::Bracket);
            ++i;
        }
    }

    void jsBlockComment()
    {
        int j = i;
        while (j < n) {
            if (s[j] == u'*' && j + 1 < n && s[j + 1] == u'/')
                break;
            if (s[j] == u'<' && isRawEnd(s, j, "script"))
                break;
            ++j;
        }
        if (j < n && s[j] == u'*') {
            put(i, j + 2, Kind::Comment);
            i = j + 2;
            mode = Js;
            return;
        }
        put(i, j, Kind::Comment);
        i = j;
        if (i < n)
            scriptEnds();
    }

    void jsString(char16_t quote)
    {
        int j = i;
        while (j < n) {
            const char16_t c = s[j].unicode();
            if (c == '\\') {
                j += 2;
                continue;
            }
            if (c == quote || (c == '<' && (isRawEnd(s, j, "script") || serverStart(j))))
                break;
            if (quote == '`' && c == '$' && j + 1 < n && s[j + 1] == u'{')
                break;
            ++j;
        }
        j = qMin(j, n);
        if (j < n && s[j] == quote) {
            put(i, j + 1, Kind::JsString);
            i = j + 1;
            mode = Js;
            return;
        }
        put(i, j, Kind::JsString);
        i = j;
        if (i >= n)
            return;
        if (s[i] == u'$') {
            // A template's ${…} is code up to its "}" on this line.
            int k = i + 2;
            while (k < n && s[k] != u'}' && s[k] != u'`')
                ++k;
            put(i, i + 2, Kind::JsString);
            i = k < n && s[k] == u'}' ? k + 1 : k;
            if (k < n && s[k] == u'}')
                put(k, k + 1, Kind::JsString);
            return;
        }
        if (scriptEnds())
            return;
        enterServer(mode);
    }

    void closeBrace()
    {
        put(i, i + 1, Kind::Bracket);
        ++i;
        if (depth > 0)
            --depth;
        mode = depth > 0 ? CssProp : CssSel;
    }

    void css()
    {
        while (i < n) {
            const char16_t c = s[i].unicode();
            if (c == '<') {
                if (isRawEnd(s, i, "style")) {
                    mode = Text;
                    depth = 0;
                    openMarkup();
                    return;
                }
                if (serverStart(i)) {
                    enterServer(mode);
                    return;
                }
            }
            if (c == '/' && i + 1 < n && s[i + 1] == u'*') {
                put(i, i + 2, Kind::Comment);
                i += 2;
                ret = mode;
                mode = CssComment;
                return;
            }
            if (c == '"' || c == '\'') {
                put(i, i + 1, Kind::CssValue);
                ++i;
                ret = mode;
                mode = c == '"' ? CssDq : CssSq;
                return;
            }
            if (isSpace(c)) {
                ++i;
                continue;
            }
            if (c == '{') {
                put(i, i + 1, Kind::Bracket);
                ++i;
                if (depth < DepthMask)
                    ++depth;
                mode = CssProp;
                continue;
            }
            if (c == '}') {
                closeBrace();
                continue;
            }
            if (c == '(' || c == ')' || c == '[' || c == ']') {
                put(i, i + 1, Kind::Bracket);
                ++i;
                continue;
            }
            if (mode == CssProp && c == ':') {
                ++i;
                mode = CssVal;
                continue;
            }
            if (mode == CssVal && c == ';') {
                ++i;
                mode = CssProp;
                continue;
            }
            if (mode == CssProp && c == ';') {
                ++i;
                continue;
            }
            // A run of one kind up to the next character that changes it.
            Kind k = mode == CssSel ? Kind::CssSelector : mode == CssProp ? Kind::CssProperty : Kind::CssValue;
            if (mode == CssProp) {
                // A nested rule (inside @media): a selector when "{" comes before ";" or "}".
                for (int j = i; j < n; ++j) {
                    const char16_t d = s[j].unicode();
                    if (d == '{') {
                        k = Kind::CssSelector;
                        break;
                    }
                    if (d == ';' || d == '}')
                        break;
                }
            }
            int j = i + 1;
            while (j < n) {
                const char16_t d = s[j].unicode();
                if (d == '{' || d == '}' || d == '"' || d == '\'' || d == '<' || d == '(' || d == ')' || d == '[' ||
                    d == ']')
                    break;
                if (d == '/' && j + 1 < n && s[j + 1] == u'*')
                    break;
                if (k == Kind::CssProperty && (d == ':' || d == ';'))
                    break;
                if (k == Kind::CssValue && d == ';')
                    break;
                ++j;
            }
            int e = j;
            while (e > i && isSpace(s[e - 1].unicode()))
                --e;
            put(i, e, k);
            i = j;
        }
    }

    void cssComment()
    {
        const int e = find("*/", i);
        const int end = e < 0 ? n : e + 2;
        put(i, end, Kind::Comment);
        i = end;
        if (e >= 0) {
            mode = ret;
            ret = Text;
        }
    }

    void cssString(char16_t quote)
    {
        int j = i;
        while (j < n && s[j] != quote) {
            if (s[j] == u'\\')
                ++j;
            ++j;
        }
        j = qMin(j, n);
        const int end = j < n ? j + 1 : n;
        put(i, end, Kind::CssValue);
        i = end;
        if (j < n) {
            mode = ret;
            ret = Text;
        }
    }

    QStringView s;
    int n;
    int i = 0;
    std::vector<Token> *out;
    int mode = Text;
    int ret = Text;
    int depth = 0;
    int flags = 0;
};

}

int tokenizeLine(QStringView line, int state, std::vector<Token> *out)
{
    if (state < 0)
        state = InitialState;
    return Lexer(line, state, out).run();
}

Place placeOf(int state)
{
    switch (state & ModeMask) {
    case HtmlComment: return Place::Comment;
    case Decl: return Place::Declaration;
    case InTag: return Place::InTag;
    case TagEq: return Place::AfterEquals;
    case TagDq:
    case TagSq: return Place::QuotedValue;
    case ServerPhp:
    case ServerAsp: return Place::Server;
    case Js:
    case JsBlockComment:
    case JsDq:
    case JsSq:
    case JsTpl: return Place::Script;
    case CssSel:
    case CssProp:
    case CssVal:
    case CssComment:
    case CssDq:
    case CssSq: return Place::Style;
    default: return Place::Text;
    }
}

bool isCodeState(int state)
{
    const int m = state & ModeMask;
    return m >= Js && m <= CssSq;
}

}

#include "rtfreader.h"

#include <QHash>
#include <QSet>
#include <QVector>
#include <unicode/ucnv.h>

#include <algorithm>

namespace Rtf {

namespace {

constexpr int MaxDepth = 4096;        // deeper groups are read as skipped content
constexpr int MaxFallback = 16;       // \ucN beyond this is nonsense
constexpr int MinHalfPoints = 2;      // 1 pt
constexpr int MaxHalfPoints = 800;    // 400 pt

enum class Dest { Body, Skip, FontTable, ColorTable };

// Character state of a group; groups inherit it and restore it when they end.
struct State {
    Dest dest = Dest::Body;
    Dest uprOuter = Dest::Skip;  // inside \upr: where the \ud part goes
    bool inUpr = false;
    bool starred = false;        // \* seen: the next control word names a destination
    int uc = 1;
    bool bold = false, italic = false, underline = false, strike = false, hidden = false;
    int halfPoints = 0;
    int font = -1;
    int fg = -1, bg = -1;
    int vertical = 0;
    // Run type: right-to-left text (\rtlch) and double-byte text (\dbch). The
    // associated properties (\ab \ai \afs \af) given for double-byte text are the
    // ones of East Asian characters; those given for right-to-left text are not read.
    bool rtl = false;
    bool dbch = false;
    int asianBold = -1, asianItalic = -1;  // -1: as the other characters
    int asianHalfPoints = 0;
    int asianFont = -1;

    bool hasAsianFormat() const
    {
        return asianBold >= 0 || asianItalic >= 0 || asianHalfPoints > 0 || asianFont >= 0;
    }

    void plain()
    {
        bold = italic = underline = strike = hidden = false;
        halfPoints = 0;
        font = -1;
        fg = bg = -1;
        vertical = 0;
        rtl = dbch = false;
        asianBold = asianItalic = -1;
        asianHalfPoints = 0;
        asianFont = -1;
    }
};

struct Font {
    QString name;
    int codepage = 0;  // 0: the document's
};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int codepageOfCharset(int charset)
{
    switch (charset) {
    case 0: return 1252;
    case 2: return 1252;  // symbol fonts: bytes as they are
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;   // 1 (default) and unknown: the document's code page
    }
}

QByteArray converterName(int codepage)
{
    switch (codepage) {
    case 10000: return "macintosh";
    case 437: return "ibm-437";
    case 850: return "ibm-850";
    default: return "windows-" + QByteArray::number(codepage);
    }
}

const QSet<QByteArray> &skippedDestinations()
{
    static const QSet<QByteArray> names = {
        "stylesheet", "info", "pict", "object", "objdata", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "annotation", "atnid", "atnauthor",
        "atndate", "atnicn", "atnref", "atntime", "fldinst", "xe", "tc", "txe", "rxe", "themedata",
        "colorschememapping", "latentstyles", "listtable", "listoverridetable", "revtbl", "rsidtbl",
        "generator", "nonshppict", "filetbl", "pgdsctbl", "xmlnstbl", "datastore", "bkmkstart",
        "bkmkend", "shpinst", "sp", "sn", "sv", "falt", "panose", "fontemb", "fontfile", "ffdeftext",
        "formfield", "picprop", "blipuid", "comment", "title", "subject", "author", "operator",
        "keywords", "doccomm", "company", "manager", "category", "hlinkbase", "template", "creatim",
        "revtim", "printim", "buptim", "userprops", "docvar", "mmathPr", "wgrffmtfilter", "fchars",
        "lchars", "pnseclvl", "pn", "listpicture", "passwordhash", "protusertbl", "aftncn", "aftnsep",
        "aftnsepc", "ftncn", "ftnsep", "ftnsepc", "tcn", "xmlopen", "xmlclose", "htmltag", "mhtmltag",
    };
    return names;
}

QString namedCharacter(const QByteArray &word)
{
    static const QHash<QByteArray, QString> map = {
        {"tab", QStringLiteral("\t")},        {"emdash", QString(QChar(0x2014))},
        {"endash", QString(QChar(0x2013))},   {"emspace", QString(QChar(0x2003))},
        {"enspace", QString(QChar(0x2002))},  {"qmspace", QString(QChar(0x2005))},
        {"bullet", QString(QChar(0x2022))},   {"lquote", QString(QChar(0x2018))},
        {"rquote", QString(QChar(0x2019))},   {"ldblquote", QString(QChar(0x201C))},
        {"rdblquote", QString(QChar(0x201D))}, {"zwj", QString(QChar(0x200D))},
        {"zwnj", QString(QChar(0x200C))},     {"ltrmark", QString(QChar(0x200E))},
        {"rtlmark", QString(QChar(0x200F))},
    };
    return map.value(word);
}

// Only what the document can hold: no control characters but tab and line feed, no
// object markers; separators of lines and paragraphs are line breaks, a no-break
// space a space (as the editing area's plain text has it). Surrogates are
// left for the end (a character beyond U+FFFF comes as two \u words).
QString sanitized(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0x2028 || u == 0x2029)
            out += QLatin1Char('\n');
        else if (u == 0xA0)
            out += QLatin1Char(' ');
        else if ((u < 0x20 && u != '\t' && u != '\n') || u == 0x7F || u == 0xFFFC || u == 0xFFFE
                 || u == 0xFFFF)
            continue;
        else
            out += c;
    }
    return out;
}

// Characters of East Asian scripts: CJK, kana, hangul, full- and half-width forms,
// and (as surrogates) the ideographs beyond U+FFFF.
bool isEastAsian(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x1100 && u <= 0x11FF) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7AF)
           || (u >= 0xD800 && u <= 0xDFFF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F)
           || (u >= 0xFF00 && u <= 0xFFEF);
}

bool isDoubleByteCodepage(int codepage)
{
    return codepage == 932 || codepage == 936 || codepage == 949 || codepage == 950;
}

// A lone half of a surrogate pair becomes U+FFFD.
void mendSurrogates(QString &text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            text[i] = QChar(QChar::ReplacementCharacter);
    }
}

class Reader {
public:
    explicit Reader(const QByteArray &in) : m_in(in) {}
    ~Reader()
    {
        for (UConverter *c : std::as_const(m_converters))
            if (c)
                ucnv_close(c);
    }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    Document read();

private:
    void openGroup();
    bool closeGroup();  // false once the outermost group has ended
    void controlWord(const QByteArray &word, bool hasParam, int param);
    void controlSymbol(char c);
    void textByte(char byte);
    void unicodeUnit(int value);
    void put(const QString &text);
    void newline();
    void flushBytes();
    // Decodes bytes; with strictOk, *strictOk tells whether every byte was valid.
    QString decode(const QByteArray &bytes, int codepage, bool *strictOk = nullptr);
    int bodyCodepage() const;
    int fontCodepage() const;
    void commitFont();
    void commitColor();
    Format currentFormat(bool asian) const;
    void putRun(const QString &text, bool asian);
    bool skipping() const { return m_overflow > 0 || m_st.dest == Dest::Skip; }

    const QByteArray &m_in;
    qsizetype m_pos = 0;
    QVector<State> m_stack;
    State m_st;
    int m_overflow = 0;
    bool m_rootSeen = false;
    int m_fallback = 0;  // bytes still to skip after \uN

    int m_codepage = 1252;
    int m_defaultFont = -1;
    QHash<int, Font> m_fonts;
    QVector<QColor> m_colors;
    bool m_colorTableDone = false;
    int m_red = -1, m_green = -1, m_blue = -1;

    // Font table entry being read.
    int m_fontNumber = -1;
    int m_fontEntryCodepage = 0;
    QString m_fontName;
    bool m_fontOpen = false;

    QByteArray m_bytes;  // text bytes not yet decoded
    int m_bytesCodepage = 0;
    QHash<int, UConverter *> m_converters;

    Document m_doc;
};

Document Reader::read()
{
    const qsizetype n = m_in.size();
    while (m_pos < n) {
        const char c = m_in.at(m_pos);
        if (c == '{') {
            ++m_pos;
            openGroup();
        } else if (c == '}') {
            ++m_pos;
            if (!closeGroup())
                break;
        } else if (c == '\\') {
            ++m_pos;
            if (m_pos >= n)
                break;
            const char d = m_in.at(m_pos);
            if ((d >= 'a' && d <= 'z') || (d >= 'A' && d <= 'Z')) {
                const qsizetype start = m_pos;
                while (m_pos < n && ((m_in.at(m_pos) >= 'a' && m_in.at(m_pos) <= 'z')
                                     || (m_in.at(m_pos) >= 'A' && m_in.at(m_pos) <= 'Z')))
                    ++m_pos;
                const QByteArray word = m_in.mid(start, std::min<qsizetype>(m_pos - start, 32));
                const bool tooLong = m_pos - start > 32;
                bool hasParam = false;
                bool negative = false;
                long long value = 0;
                if (m_pos + 1 < n && m_in.at(m_pos) == '-' && m_in.at(m_pos + 1) >= '0'
                    && m_in.at(m_pos + 1) <= '9') {
                    negative = true;
                    ++m_pos;
                }
                int digits = 0;
                while (m_pos < n && m_in.at(m_pos) >= '0' && m_in.at(m_pos) <= '9') {
                    if (digits < 10)
                        value = value * 10 + (m_in.at(m_pos) - '0');
                    ++digits;
                    ++m_pos;
                    hasParam = true;
                }
                if (m_pos < n && m_in.at(m_pos) == ' ')
                    ++m_pos;
                value = std::clamp(negative ? -value : value, -2147483647LL, 2147483647LL);
                if (!tooLong)
                    controlWord(word, hasParam, int(value));
            } else {
                ++m_pos;
                controlSymbol(d);
            }
        } else {
            ++m_pos;
            if (c == '\r' || c == '\n')
                continue;
            if (m_fallback > 0) {
                --m_fallback;
                continue;
            }
            textByte(c);
        }
    }
    flushBytes();
    commitFont();
    for (Run &run : m_doc.runs)
        mendSurrogates(run.text);
    return m_doc;
}

void Reader::openGroup()
{
    flushBytes();
    m_fallback = 0;
    if (m_overflow > 0 || m_stack.size() >= MaxDepth) {
        ++m_overflow;
        return;
    }
    m_rootSeen = true;
    m_stack.push_back(m_st);
    m_st.starred = false;
}

bool Reader::closeGroup()
{
    flushBytes();
    m_fallback = 0;
    if (m_overflow > 0) {
        --m_overflow;
        return true;
    }
    if (m_stack.isEmpty())
        return !m_rootSeen;  // a stray brace before the document: ignored
    if (m_st.dest == Dest::FontTable)
        commitFont();
    m_st = m_stack.takeLast();
    return !m_stack.isEmpty();
}

void Reader::controlSymbol(char c)
{
    if (c == '\'') {
        int value = 0;
        int digits = 0;
        while (digits < 2 && m_pos < m_in.size()) {
            const int h = hexValue(m_in.at(m_pos));
            if (h < 0)
                break;
            value = value * 16 + h;
            ++digits;
            ++m_pos;
        }
        if (digits < 2)
            return;  // not a byte
        if (m_fallback > 0) {
            --m_fallback;
            return;
        }
        textByte(char(value));
        return;
    }
    if (c == '\\' || c == '{' || c == '}') {
        if (m_fallback > 0) {
            --m_fallback;
            return;
        }
        textByte(c);
        return;
    }
    if (c == '*') {
        m_st.starred = true;
        return;
    }
    flushBytes();
    if (m_fallback > 0) {
        --m_fallback;
        return;
    }
    switch (c) {
    case '~': put(QStringLiteral(" ")); break;
    case '_': put(QStringLiteral("-")); break;
    case '\r':
    case '\n': newline(); break;
    default: break;  // \- optional hyphen, \| \: and unknown symbols
    }
}

void Reader::controlWord(const QByteArray &w, bool hasParam, int param)
{
    flushBytes();
    const bool starred = m_st.starred;
    m_st.starred = false;
    if (w == "bin") {
        // Binary data: skipped whatever the state.
        const qsizetype len = hasParam && param > 0 ? qsizetype(param) : 0;
        m_pos = std::min(m_in.size(), m_pos + len);
        return;
    }
    if (m_overflow > 0)
        return;
    if (m_fallback > 0) {
        --m_fallback;
        return;
    }

    // Destinations.
    if (w == "ud" && m_st.inUpr) {
        m_st.dest = m_st.uprOuter;
        return;
    }
    if (m_st.dest == Dest::Skip)
        return;
    if (w == "upr") {
        m_st.inUpr = true;
        m_st.uprOuter = m_st.dest;
        m_st.dest = Dest::Skip;
        return;
    }
    if (w == "fonttbl") {
        m_st.dest = Dest::FontTable;
        return;
    }
    if (w == "colortbl") {
        // Only the first colour table counts.
        m_st.dest = m_colorTableDone ? Dest::Skip : Dest::ColorTable;
        m_colorTableDone = true;
        return;
    }
    if (starred || skippedDestinations().contains(w)) {
        m_st.dest = Dest::Skip;
        return;
    }

    if (m_st.dest == Dest::FontTable) {
        if (w == "f") {
            commitFont();
            m_fontNumber = hasParam ? param : -1;
            m_fontEntryCodepage = 0;
            m_fontName.clear();
            m_fontOpen = true;
        } else if (w == "fcharset" && hasParam) {
            m_fontEntryCodepage = codepageOfCharset(param);
        } else if (w == "cpg" && hasParam && param > 0) {
            m_fontEntryCodepage = param;
        } else if (w == "u" && hasParam) {
            unicodeUnit(param);
        }
        return;
    }
    if (m_st.dest == Dest::ColorTable) {
        const int v = std::clamp(param, 0, 255);
        if (w == "red")
            m_red = v;
        else if (w == "green")
            m_green = v;
        else if (w == "blue")
            m_blue = v;
        return;
    }

    // Document and character properties.
    const bool on = !hasParam || param != 0;
    if (w == "u") {
        if (hasParam)
            unicodeUnit(param);
    } else if (w == "uc") {
        m_st.uc = std::clamp(hasParam ? param : 1, 0, MaxFallback);
    } else if (w == "ansi") {
        m_codepage = 1252;
    } else if (w == "mac") {
        m_codepage = 10000;
    } else if (w == "pc") {
        m_codepage = 437;
    } else if (w == "pca") {
        m_codepage = 850;
    } else if (w == "ansicpg") {
        if (hasParam && param > 0)
            m_codepage = param;
    } else if (w == "deff") {
        m_defaultFont = hasParam ? param : -1;
    } else if (w == "par" || w == "line" || w == "sect" || w == "page") {
        newline();
    } else if (w == "cell" || w == "nestcell") {
        put(QStringLiteral("\t"));
    } else if (w == "row" || w == "nestrow") {
        // The last cell's separator gives way to the end of the row.
        if (!m_doc.runs.isEmpty() && m_doc.runs.last().text.endsWith(QLatin1Char('\t'))) {
            m_doc.runs.last().text.chop(1);
            if (m_doc.runs.last().text.isEmpty())
                m_doc.runs.removeLast();
        }
        newline();
    } else if (w == "plain") {
        m_st.plain();
    } else if (w == "b") {
        m_st.bold = on;
    } else if (w == "i") {
        m_st.italic = on;
    } else if (w == "strike" || w == "striked") {
        m_st.strike = on;
    } else if (w == "ulnone") {
        m_st.underline = false;
    } else if (w.startsWith("ul") && w != "ulc") {
        m_st.underline = on;
    } else if (w == "fs") {
        m_st.halfPoints = hasParam && param > 0 ? std::clamp(param, MinHalfPoints, MaxHalfPoints) : 0;
    } else if (w == "f") {
        m_st.font = hasParam ? param : -1;
    } else if (w == "cf") {
        m_st.fg = hasParam ? param : -1;
    } else if (w == "cb" || w == "highlight" || w == "chcbpat") {
        m_st.bg = hasParam ? param : -1;
    } else if (w == "super") {
        m_st.vertical = 1;
    } else if (w == "sub") {
        m_st.vertical = -1;
    } else if (w == "up") {
        m_st.vertical = on ? 1 : 0;
    } else if (w == "dn") {
        m_st.vertical = on ? -1 : 0;
    } else if (w == "nosupersub") {
        m_st.vertical = 0;
    } else if (w == "v") {
        m_st.hidden = on;
    } else if (w == "rtlch") {
        m_st.rtl = true;
    } else if (w == "ltrch") {
        m_st.rtl = false;
    } else if (w == "dbch") {
        m_st.dbch = true;
    } else if (w == "loch" || w == "hich") {
        m_st.dbch = false;
    } else if (w == "ab" || w == "ai" || w == "afs" || w == "af") {
        if (m_st.rtl || !m_st.dbch)
            return;
        if (w == "ab")
            m_st.asianBold = on ? 1 : 0;
        else if (w == "ai")
            m_st.asianItalic = on ? 1 : 0;
        else if (w == "afs")
            m_st.asianHalfPoints = hasParam && param > 0 ? std::clamp(param, MinHalfPoints, MaxHalfPoints) : 0;
        else
            m_st.asianFont = hasParam ? param : -1;
    } else {
        const QString s = namedCharacter(w);
        if (!s.isEmpty())
            put(s);
    }
}

void Reader::unicodeUnit(int value)
{
    if (value < 0)
        value += 65536;
    m_fallback = m_st.uc;
    if (value < 0 || value > 0xFFFF)
        return;
    const QString unit{QChar(char16_t(value))};
    if (m_st.dest == Dest::FontTable) {
        if (m_fontOpen)
            m_fontName += unit;
    } else {
        put(unit);
    }
}

void Reader::textByte(char byte)
{
    if (skipping())
        return;
    if (m_st.dest == Dest::ColorTable) {
        if (byte == ';')
            commitColor();
        return;
    }
    if (m_st.dest == Dest::FontTable) {
        if (byte == ';') {
            commitFont();
            return;
        }
        if (!m_fontOpen)
            return;
    } else if (m_st.hidden) {
        return;
    }
    const int cp = m_st.dest == Dest::FontTable ? fontCodepage() : bodyCodepage();
    if (!m_bytes.isEmpty() && cp != m_bytesCodepage)
        flushBytes();
    m_bytesCodepage = cp;
    m_bytes += byte;
}

void Reader::flushBytes()
{
    if (m_bytes.isEmpty())
        return;
    QString text;
    bool done = false;
    if (m_bytesCodepage == 1252 && isDoubleByteCodepage(m_codepage)) {
        // Some writers give Japanese text in a Western font of a Japanese document.
        // Bytes that are whole double-byte characters of the document's code page
        // are read as such.
        text = decode(m_bytes, m_codepage, &done);
        done = done && text.size() < m_bytes.size();
    }
    if (!done)
        text = decode(m_bytes, m_bytesCodepage);
    m_bytes.clear();
    if (m_st.dest == Dest::FontTable) {
        if (m_fontOpen)
            m_fontName += text;
    } else {
        put(text);
    }
}

QString Reader::decode(const QByteArray &bytes, int codepage, bool *strictOk)
{
    // Strict converters (which stop at the first invalid byte) are kept under the
    // negative code page.
    const int key = strictOk ? -codepage : codepage;
    if (strictOk)
        *strictOk = false;
    auto it = m_converters.find(key);
    if (it == m_converters.end()) {
        UErrorCode status = U_ZERO_ERROR;
        UConverter *c = ucnv_open(converterName(codepage).constData(), &status);
        if (U_FAILURE(status)) {
            c = nullptr;
            status = U_ZERO_ERROR;
            c = ucnv_open("windows-1252", &status);
            if (U_FAILURE(status))
                c = nullptr;
        }
        if (c && strictOk) {
            status = U_ZERO_ERROR;
            ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
        }
        it = m_converters.insert(key, c);
    }
    UConverter *c = it.value();
    if (!c)
        return QString::fromLatin1(bytes);
    QString out(bytes.size() * 2 + 4, Qt::Uninitialized);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(c);
    const int32_t len = ucnv_toUChars(c, reinterpret_cast<UChar *>(out.data()), int32_t(out.size()),
                                      bytes.constData(), int32_t(bytes.size()), &status);
    if (U_FAILURE(status))
        return strictOk ? QString() : QString::fromLatin1(bytes);
    out.truncate(len);
    if (strictOk)
        *strictOk = true;
    return out;
}

int Reader::bodyCodepage() const
{
    if (m_st.dbch) {
        // Double-byte text: the code page of its own font, else the document's if
        // that is a double-byte one (the Western font's would garble it).
        const auto it = m_fonts.constFind(m_st.asianFont);
        if (it != m_fonts.cend() && it->codepage > 0)
            return it->codepage;
        if (isDoubleByteCodepage(m_codepage))
            return m_codepage;
    }
    const int font = m_st.font >= 0 ? m_st.font : m_defaultFont;
    const auto it = m_fonts.constFind(font);
    if (it != m_fonts.cend() && it->codepage > 0)
        return it->codepage;
    return m_codepage;
}

int Reader::fontCodepage() const
{
    return m_fontEntryCodepage > 0 ? m_fontEntryCodepage : m_codepage;
}

void Reader::commitFont()
{
    if (!m_fontOpen)
        return;
    flushBytes();
    m_fontOpen = false;
    if (m_fontNumber < 0 || m_fonts.contains(m_fontNumber))
        return;
    QString name = sanitized(m_fontName).trimmed();
    mendSurrogates(name);
    m_fonts.insert(m_fontNumber, {name, m_fontEntryCodepage});
}

void Reader::commitColor()
{
    if (m_red < 0 && m_green < 0 && m_blue < 0)
        m_colors.push_back(QColor());  // automatic
    else
        m_colors.push_back(QColor(std::max(m_red, 0), std::max(m_green, 0), std::max(m_blue, 0)));
    m_red = m_green = m_blue = -1;
}

Format Reader::currentFormat(bool asian) const
{
    Format f;
    f.bold = asian && m_st.asianBold >= 0 ? m_st.asianBold > 0 : m_st.bold;
    f.italic = asian && m_st.asianItalic >= 0 ? m_st.asianItalic > 0 : m_st.italic;
    f.underline = m_st.underline;
    f.strike = m_st.strike;
    f.halfPoints = asian && m_st.asianHalfPoints > 0 ? m_st.asianHalfPoints : m_st.halfPoints;
    f.vertical = m_st.vertical;
    int font = m_st.font >= 0 ? m_st.font : m_defaultFont;
    if (asian && m_fonts.contains(m_st.asianFont))
        font = m_st.asianFont;
    f.font = m_fonts.value(font).name;
    if (m_st.fg >= 0 && m_st.fg < m_colors.size())
        f.color = m_colors.at(m_st.fg);
    if (m_st.bg >= 0 && m_st.bg < m_colors.size())
        f.background = m_colors.at(m_st.bg);
    return f;
}

void Reader::put(const QString &raw)
{
    if (skipping() || m_st.dest != Dest::Body || m_st.hidden)
        return;
    const QString text = sanitized(raw);
    if (text.isEmpty())
        return;
    if (!m_st.hasAsianFormat()) {
        putRun(text, false);
        return;
    }
    // East Asian characters take their own properties.
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        const bool asian = isEastAsian(text.at(start));
        qsizetype end = start + 1;
        while (end < n && isEastAsian(text.at(end)) == asian)
            ++end;
        putRun(text.mid(start, end - start), asian);
        start = end;
    }
}

void Reader::putRun(const QString &text, bool asian)
{
    const Format f = currentFormat(asian);
    if (!m_doc.runs.isEmpty() && m_doc.runs.last().format == f)
        m_doc.runs.last().text += text;
    else
        m_doc.runs.push_back({text, f});
}

void Reader::newline()
{
    put(QStringLiteral("\n"));
}

QString cssFontName(const QString &name)
{
    QString out;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("'\"<>&;{}\\").contains(c))
            continue;
        out += c;
    }
    return out.trimmed();
}

}  // namespace

bool isRtf(const QByteArray &bytes)
{
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && (bytes.at(i) == ' ' || bytes.at(i) == '\t' || bytes.at(i) == '\r'
                                || bytes.at(i) == '\n'))
        ++i;
    return bytes.mid(i, 5) == "{\\rtf";
}

Document read(const QByteArray &rtf)
{
    Reader reader(rtf);
    return reader.read();
}

QString Document::plainText() const
{
    QString out;
    for (const Run &r : runs)
        out += r.text;
    return out;
}

QString escapeHtml(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        default: out += c;
        }
    }
    return out;
}

QString Document::html() const
{
    QString out;
    for (const Run &r : runs) {
        const Format &f = r.format;
        QString style = QStringLiteral("white-space:pre-wrap");
        const QString font = cssFontName(f.font);
        if (!font.isEmpty())
            style += QStringLiteral(";font-family:'%1'").arg(font);
        if (f.halfPoints > 0)
            style += QStringLiteral(";font-size:%1pt").arg(f.halfPoints / 2.0);
        if (f.bold)
            style += QStringLiteral(";font-weight:bold");
        if (f.italic)
            style += QStringLiteral(";font-style:italic");
        if (f.underline || f.strike) {
            style += QStringLiteral(";text-decoration:");
            style += f.underline && f.strike ? QStringLiteral("underline line-through")
                     : f.underline           ? QStringLiteral("underline")
                                             : QStringLiteral("line-through");
        }
        if (f.color.isValid())
            style += QStringLiteral(";color:") + f.color.name();
        if (f.background.isValid())
            style += QStringLiteral(";background-color:") + f.background.name();
        if (f.vertical)
            style += f.vertical > 0 ? QStringLiteral(";vertical-align:super")
                                    : QStringLiteral(";vertical-align:sub");
        out += QStringLiteral("<span style=\"") + style + QStringLiteral("\">") + escapeHtml(r.text)
               + QStringLiteral("</span>");
    }
    return out;
}

}  // namespace Rtf

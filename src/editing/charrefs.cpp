#include "charrefs.h"

#include <QFile>
#include <QHash>

namespace CharRefs {

namespace {

// The named references of the data table, read once.
const QHash<QString, QString> &namedTable()
{
    static const QHash<QString, QString> table = [] {
        QHash<QString, QString> t;
        QFile f(QStringLiteral(":/data/entities.txt"));
        if (!f.open(QIODevice::ReadOnly))
            return t;
        t.reserve(2200);
        for (const QByteArray &raw : f.readAll().split('\n')) {
            const QByteArray line = raw.trimmed();
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const QList<QByteArray> fields = line.split(' ');
            QString chars;
            for (int i = 1; i < fields.size(); ++i) {
                bool ok = false;
                const char32_t cp = fields[i].toUInt(&ok, 16);
                if (ok)
                    chars += QString::fromUcs4(&cp, 1);
            }
            t.insert(QString::fromLatin1(fields[0]), chars);
        }
        return t;
    }();
    return table;
}

// Characters whose references must stay references: turned back, they would be read as
// markup (or end an attribute value).
bool isMarkup(char32_t c)
{
    return c == '<' || c == '>' || c == '&' || c == '"' || c == '\'';
}

bool isAsciiAlnum(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
}

// The value of an ASCII digit in the base (10 or 16), or -1.
int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (base == 16 && u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (base == 16 && u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// A numeric reference's code point, or 0 when it stands for nothing that may be written
// as a character.
char32_t usableCodePoint(char32_t cp)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    if ((cp < 0x20 && cp != '\t' && cp != '\n') || (cp >= 0x7F && cp <= 0x9F))
        return 0;  // controls (browsers read 0x80-0x9F as windows-1252: left to them)
    return cp;
}

}

QString toRefs(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80) {
            out += c;
            continue;
        }
        char32_t cp = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(c, text[i + 1]);
            ++i;
        } else if (c.isSurrogate()) {
            out += c;  // half a character: nothing a reference could name
            continue;
        }
        out += QStringLiteral("&#x") + QString::number(cp, 16).toUpper() + QLatin1Char(';');
    }
    return out;
}

QString named(QStringView name)
{
    return namedTable().value(name.toString());
}

QString fromRefs(const QString &text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = text[i];
        if (c != u'&') {
            out += c;
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        QString chars;
        if (j < n && text[j] == u'#') {
            ++j;
            const bool hex = j < n && (text[j] == u'x' || text[j] == u'X');
            if (hex)
                ++j;
            const qsizetype digits = j;
            char32_t cp = 0;
            for (; j < n; ++j) {
                const int d = digitValue(text[j], hex ? 16 : 10);
                if (d < 0)
                    break;
                cp = qMin<char32_t>(cp * (hex ? 16 : 10) + char32_t(d), 0x110000);
            }
            const bool tooBig = cp > 0x10FFFF;
            if (j > digits && j < n && text[j] == u';' && !tooBig) {
                const char32_t usable = usableCodePoint(cp);
                if (usable && !isMarkup(usable))
                    chars = QString::fromUcs4(&usable, 1);
            }
        } else {
            while (j < n && isAsciiAlnum(text[j]))
                ++j;
            if (j > i + 1 && j < n && text[j] == u';') {
                chars = named(QStringView(text).sliced(i + 1, j - i - 1));
                if (chars.size() == 1 && isMarkup(chars[0].unicode()))
                    chars.clear();
            }
        }
        if (chars.isEmpty()) {
            out += c;  // not a reference to turn back: the "&" stays, the rest is read on
            ++i;
            continue;
        }
        out += chars;
        i = j + 1;
    }
    return out;
}

}

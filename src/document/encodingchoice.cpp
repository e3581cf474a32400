#include "encodingchoice.h"

#include "encoding.h"

#include <unicode/ucnv.h>

#include <algorithm>

namespace EncodingChoice {

const QList<QByteArray> &mainEncodings()
{
    static const QList<QByteArray> list = {"UTF-8",    "Shift_JIS", "EUC-JP",         "ISO-2022-JP",
                                           "UTF-16LE", "UTF-16BE",  "Shift_JIS-2004", "EUC-JIS-2004"};
    return list;
}

const QList<QByteArray> &allEncodings()
{
    static const QList<QByteArray> list = [] {
        QList<QByteArray> others;
        const int32_t n = ucnv_countAvailable();
        for (int32_t i = 0; i < n; ++i) {
            const QByteArray name = canonicalEncoding(ucnv_getAvailableName(i));
            // Names with options ("ibm-1047_P100-1995,swaplfnl") are variants of another entry.
            if (name.isEmpty() || name.contains(',') || mainEncodings().contains(name) || others.contains(name))
                continue;
            if (!TextCodec(name).isValid())
                continue;
            others << name;
        }
        std::sort(others.begin(), others.end(),
                  [](const QByteArray &a, const QByteArray &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        return mainEncodings() + others;
    }();
    return list;
}

bool browsersRead(const QByteArray &encoding)
{
    const QByteArray e = canonicalEncoding(encoding);
    return e != "Shift_JIS-2004" && e != "EUC-JIS-2004";
}

bool allowsBom(const QByteArray &encoding)
{
    return !TextCodec(encoding).byteOrderMark().isEmpty();
}

QStringList declaredLabels(const QString &html)
{
    QStringList labels;
    for (const CharsetLabel &l : charsetLabels(html))
        labels << html.mid(l.start, l.length);
    return labels;
}

QString disagreeingLabel(const QString &html, const QByteArray &encoding)
{
    const QByteArray wanted = canonicalEncoding(encoding);
    const bool utf16 = wanted.startsWith("UTF-16");
    for (const QString &label : declaredLabels(html)) {
        const QByteArray named = canonicalEncoding(label.toLatin1());
        // A UTF-16 page names itself "UTF-16" (the byte-order mark tells the order).
        if (named == wanted || (utf16 && named.startsWith("UTF-16")))
            continue;
        return label;
    }
    return {};
}

namespace {

bool startsWithTag(QStringView text, qsizetype i, QLatin1String name)
{
    if (text.size() - i < name.size() + 1)
        return false;
    if (QStringView(text).mid(i, name.size()).compare(name, Qt::CaseInsensitive) != 0)
        return false;
    const qsizetype after = i + name.size();
    if (after >= text.size())
        return true;
    const QChar c = text[after];
    return c.isSpace() || c == QLatin1Char('>') || c == QLatin1Char('/');
}

// The [start, end) ranges of text inside <script>…</script> and <style>…</style>.
std::vector<std::pair<qsizetype, qsizetype>> scriptAndStyleRanges(QStringView text)
{
    std::vector<std::pair<qsizetype, qsizetype>> ranges;
    qsizetype i = 0;
    while ((i = text.indexOf(QLatin1Char('<'), i)) >= 0) {
        QLatin1String name;
        if (startsWithTag(text, i + 1, QLatin1String("script")))
            name = QLatin1String("</script");
        else if (startsWithTag(text, i + 1, QLatin1String("style")))
            name = QLatin1String("</style");
        if (name.size() == 0) {
            ++i;
            continue;
        }
        const qsizetype gt = text.indexOf(QLatin1Char('>'), i);
        const qsizetype start = gt < 0 ? text.size() : gt + 1;
        qsizetype end = text.indexOf(name, start, Qt::CaseInsensitive);
        if (end < 0)
            end = text.size();
        ranges.push_back({start, end});
        i = end;
        if (i >= text.size())
            break;
    }
    return ranges;
}

}  // namespace

QString toCharacterReferences(const QString &text, const QByteArray &encoding, int *count)
{
    int replaced = 0;
    TextCodec codec(encoding);
    QString out;
    qsizetype from = 0;
    while (codec.isValid() && from < text.size()) {
        const qsizetype k = codec.firstUnencodable(QStringView(text).mid(from));
        if (k < 0)
            break;
        const qsizetype at = from + k;
        if (out.isEmpty())
            out.reserve(text.size() + 64);
        out += QStringView(text).mid(from, at - from);
        char32_t c = text[at].unicode();
        qsizetype len = 1;
        if (text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[at], text[at + 1]);
            len = 2;
        } else if (text[at].isSurrogate()) {
            c = 0xFFFD;  // half a character: no reference can stand for it
        }
        out += QStringLiteral("&#x%1;").arg(QString::number(uint(c), 16).toUpper());
        ++replaced;
        from = at + len;
    }
    if (count)
        *count = replaced;
    if (replaced == 0)
        return text;
    out += QStringView(text).mid(from);
    return out;
}

QStringList unencodableInScriptOrStyle(const QString &text, const QByteArray &encoding, int max)
{
    QStringList found;
    TextCodec codec(encoding);
    if (!codec.isValid())
        return found;
    for (const auto &[start, end] : scriptAndStyleRanges(text)) {
        for (const QString &c : codec.unencodableCharacters(QStringView(text).mid(start, end - start), max)) {
            if (found.size() >= max)
                return found;
            if (!found.contains(c))
                found << c;
        }
    }
    return found;
}

}  // namespace EncodingChoice

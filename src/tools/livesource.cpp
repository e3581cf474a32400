#include "livesource.h"

#include "document/encodingchoice.h"

#include <QFileInfo>
#include <QUrlQuery>

#include <algorithm>

namespace LiveSource {

namespace {

bool isAsciiAlpha(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Elements whose content is text up to their end tag, never markup.
bool isRawText(QStringView name)
{
    static const char *const names[] = {"script", "style", "textarea", "title", "xmp",
                                        "iframe", "noembed", "noframes", "noscript"};
    for (const char *n : names)
        if (name.compare(QLatin1StringView(n), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

qsizetype linesIn(QStringView html, qsizetype from, qsizetype to)
{
    return std::count(html.begin() + from, html.begin() + to, u'\n');
}

// Where "</name" begins (followed by a space, "/" or ">" or the end), from from on; the end of
// the text when there is none.
qsizetype endTagOf(QStringView html, QStringView name, qsizetype from)
{
    const qsizetype n = html.size();
    for (qsizetype at = html.indexOf(u"</", from); at >= 0; at = html.indexOf(u"</", at + 2)) {
        const qsizetype after = at + 2 + name.size();
        if (after > n)
            break;
        if (html.mid(at + 2, name.size()).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (after == n || isSpace(html[after]) || html[after] == u'/' || html[after] == u'>')
            return at;
    }
    return n;
}

// The end of a start tag whose name ends at from: just past its ">" (or the end of the text).
// Quoted attribute values may hold ">".
qsizetype startTagEnd(QStringView html, qsizetype from)
{
    const qsizetype n = html.size();
    qsizetype j = from;
    while (j < n && html[j] != u'>') {
        if (html[j] != u'=') {
            ++j;
            continue;
        }
        ++j;
        while (j < n && isSpace(html[j]))
            ++j;
        if (j < n && (html[j] == u'"' || html[j] == u'\'')) {
            const qsizetype close = html.indexOf(html[j], j + 1);
            j = close < 0 ? n : close + 1;
        }
    }
    return j < n ? j + 1 : n;
}

qsizetype tagNameEnd(QStringView html, qsizetype from)
{
    while (from < html.size() && !isSpace(html[from]) && html[from] != u'/' && html[from] != u'>')
        ++from;
    return from;
}

}  // namespace

QString annotateLines(QStringView html)
{
    const qsizetype n = html.size();
    QString out;
    out.reserve(n + n / 4);
    qsizetype copied = 0;  // html[0, copied) is in out
    qsizetype line = 1;    // the line html[i] is on
    qsizetype i = 0;
    const auto skipTo = [&](qsizetype to) {
        line += linesIn(html, i, to);
        i = to;
    };
    while (i < n) {
        const qsizetype lt = html.indexOf(u'<', i);
        if (lt < 0)
            break;
        skipTo(lt);
        if (i + 1 >= n)
            break;
        const QChar next = html[i + 1];
        if (html.mid(i, 4) == u"<!--") {
            const qsizetype end = html.indexOf(u"-->", i + 4);
            skipTo(end < 0 ? n : end + 3);
            continue;
        }
        if (next == u'!' || next == u'?' || next == u'/') {
            // Doctype, processing instruction, end tag: up to the next ">".
            const qsizetype end = html.indexOf(u'>', i + 1);
            skipTo(end < 0 ? n : end + 1);
            continue;
        }
        if (!isAsciiAlpha(next)) {
            skipTo(i + 1);  // a "<" that starts no tag
            continue;
        }
        const qsizetype nameEnd = tagNameEnd(html, i + 1);
        const QStringView name = html.mid(i + 1, nameEnd - i - 1);
        out += html.mid(copied, nameEnd - copied);
        out += u' ';
        out += kLineAttribute;
        out += u"=\"";
        out += QString::number(line);
        out += u'"';
        copied = nameEnd;
        skipTo(startTagEnd(html, nameEnd));
        if (name.compare(u"plaintext", Qt::CaseInsensitive) == 0)
            break;  // everything after it is text
        if (isRawText(name))
            skipTo(endTagOf(html, name, i));
    }
    out += html.mid(copied);
    return out;
}

bool isStatic(QStringView html)
{
    if (html.contains(u"javascript:", Qt::CaseInsensitive))
        return false;
    static const char *const scripted[] = {"script", "noscript", "iframe", "frame", "frameset",
                                           "object", "embed", "applet", "portal"};
    const qsizetype n = html.size();
    for (qsizetype at = html.indexOf(u'<'); at >= 0 && at + 1 < n; at = html.indexOf(u'<', at + 1)) {
        if (!isAsciiAlpha(html[at + 1]))
            continue;
        const qsizetype nameEnd = tagNameEnd(html, at + 1);
        const QStringView name = html.mid(at + 1, nameEnd - at - 1);
        for (const char *s : scripted)
            if (name.compare(QLatin1StringView(s), Qt::CaseInsensitive) == 0)
                return false;
        // An attribute named on…: an event handler. Quoted values are searched too (harmless:
        // such a page is merely loaded in full).
        const qsizetype end = startTagEnd(html, nameEnd);
        for (qsizetype j = nameEnd; j + 2 < end; ++j)
            if ((isSpace(html[j]) || html[j] == u'/' || html[j] == u'"' || html[j] == u'\'') &&
                (html[j + 1] == u'o' || html[j + 1] == u'O') && (html[j + 2] == u'n' || html[j + 2] == u'N') &&
                j + 3 < end && isAsciiAlpha(html[j + 3]))
                return false;
        at = end - 1;
    }
    return true;
}

Served serve(const QString &text, const TextFormat &format)
{
    TextFormat served;
    served.encoding = EncodingChoice::browsersRead(format.encoding) ? format.encoding : QByteArray("UTF-8");
    served.bom = format.bom && served.encoding == format.encoding;
    served.lineEnd = format.lineEnd;
    served.finalLineEnd = format.finalLineEnd;
    // No bytes kept from the file: nearly every line of the copy differs from it anyway.
    return Served{encodeTextFile(annotateLines(text), served), "text/html; charset=" + served.encoding, isStatic(text)};
}

int nextDelay(int previousDelay, qint64 renderMs)
{
    if (renderMs >= previousDelay)
        return int(std::clamp<qint64>(renderMs, kShortestDelay, kLongestDelay));
    return std::clamp((previousDelay + int(renderMs)) / 2, kShortestDelay, kLongestDelay);
}

QUrl pageUrl(const QString &documentPath, int viewer, quint64 serial)
{
    QUrl url;
    url.setScheme(QString::fromLatin1(kScheme));
    url.setHost(QString::fromLatin1(kHost));
    url.setPath(QFileInfo(documentPath).absoluteFilePath());
    url.setQuery(QStringLiteral("live=%1.%2").arg(viewer).arg(serial));
    return url;
}

bool isPageRequest(const QUrl &url, int *viewer, quint64 *serial)
{
    if (url.scheme() != QLatin1StringView(kScheme))
        return false;
    const QString live = QUrlQuery(url).queryItemValue(QStringLiteral("live"));
    const qsizetype dot = live.indexOf(u'.');
    if (dot < 0)
        return false;
    bool okViewer = false, okSerial = false;
    const int v = live.left(dot).toInt(&okViewer);
    const quint64 s = live.mid(dot + 1).toULongLong(&okSerial);
    if (!okViewer || !okSerial)
        return false;
    if (viewer)
        *viewer = v;
    if (serial)
        *serial = s;
    return true;
}

}  // namespace LiveSource

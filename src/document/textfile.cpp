#include "textfile.h"

#include "atomicwrite.h"
#include "encoding.h"

#include <QFile>
#include <QFileInfo>

namespace {

const char *lineEndBytes(LineEnd e)
{
    switch (e) {
    case LineEnd::LF: return "\n";
    case LineEnd::CR: return "\r";
    case LineEnd::CRLF: break;
    }
    return "\r\n";
}

}

TextFileRead decodeTextFile(const QByteArray &bytes)
{
    TextFileRead r;
    r.status = TextFileRead::Ok;
    Decoded d = decodeBytes(bytes);
    r.format.encoding = d.encoding;
    r.format.bom = d.bom;
    r.clean = d.clean;

    // Normalise line ends in one pass, counting each style to remember the usual one.
    const QString &in = d.text;
    QString out;
    out.reserve(in.size());
    int crlf = 0, lf = 0, cr = 0;
    const int n = int(in.size());
    const QChar *p = in.constData();
    bool endsWithBreak = false;
    for (int i = 0; i < n; ++i) {
        const QChar c = p[i];
        if (c == QLatin1Char('\r')) {
            if (i + 1 < n && p[i + 1] == QLatin1Char('\n')) {
                ++crlf;
                ++i;
            } else {
                ++cr;
            }
            out += QLatin1Char('\n');
            endsWithBreak = i == n - 1;
        } else if (c == QLatin1Char('\n')) {
            ++lf;
            out += QLatin1Char('\n');
            endsWithBreak = i == n - 1;
        } else {
            out += c;
        }
    }
    if (lf > crlf && lf >= cr)
        r.format.lineEnd = LineEnd::LF;
    else if (cr > crlf && cr > lf)
        r.format.lineEnd = LineEnd::CR;
    else
        r.format.lineEnd = LineEnd::CRLF;
    r.format.finalLineEnd = endsWithBreak;
    if (endsWithBreak)
        out.chop(1);
    r.text = std::move(out);
    return r;
}

TextFileRead readTextFileEx(const QString &path)
{
    TextFileRead r;
    QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        r.status = TextFileRead::Missing;
        return r;
    }
    if (info.isDir()) {
        r.status = TextFileRead::Unreadable;
        r.error = QStringLiteral("フォルダです。");
        return r;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.status = TextFileRead::Unreadable;
        r.error = f.errorString();
        return r;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        r.status = TextFileRead::Unreadable;
        r.error = f.errorString();
        return r;
    }
    return decodeTextFile(bytes);
}

QString ReadTextFile(const QString &path)
{
    TextFileRead r = readTextFileEx(path);
    return r.status == TextFileRead::Ok ? r.text : QString();
}

QByteArray encodeTextFile(const QString &text, const TextFormat &format, bool *clean)
{
    QString t = text;
    const QString eol = QString::fromLatin1(lineEndBytes(format.lineEnd));
    if (format.lineEnd != LineEnd::LF)
        t.replace(QLatin1Char('\n'), eol);
    if (format.finalLineEnd)
        t += eol;
    return encodeText(t, format.encoding, format.bom, clean);
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    // QSaveFile reports success after a short write on a full disk; this does not.
    return replaceFileSafely(path, bytes, error);
}

bool writeTextFile(const QString &path, const QString &text, const TextFormat &format, QString *error)
{
    return writeFileAtomically(path, encodeTextFile(text, format), error);
}

QString lineEndName(LineEnd lineEnd)
{
    switch (lineEnd) {
    case LineEnd::LF: return QStringLiteral("LF");
    case LineEnd::CR: return QStringLiteral("CR");
    case LineEnd::CRLF: break;
    }
    return QStringLiteral("CRLF");
}

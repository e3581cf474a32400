#include "encoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

bool isUtf8Name(const QByteArray &e)
{
    return e.compare("UTF-8", Qt::CaseInsensitive) == 0;
}

}

QString decodeAs(const QByteArray &bytes, const QByteArray &encoding, bool *clean)
{
    QStringDecoder dec(encoding.constData(), QStringConverter::Flag::Stateless);
    if (!dec.isValid()) {
        if (clean)
            *clean = false;
        return QString::fromLatin1(bytes);
    }
    QString s = dec.decode(bytes);
    if (clean)
        *clean = !dec.hasError();
    return s;
}

Decoded decodeBytes(const QByteArray &bytes)
{
    Decoded d;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        d.bom = true;
        d.text = decodeAs(bytes.mid(3), "UTF-8", &d.clean);
        return d;
    }
    if (bytes.startsWith("\xFF\xFE")) {
        d.bom = true;
        d.encoding = "UTF-16LE";
        d.text = decodeAs(bytes.mid(2), d.encoding, &d.clean);
        return d;
    }
    if (bytes.startsWith("\xFE\xFF")) {
        d.bom = true;
        d.encoding = "UTF-16BE";
        d.text = decodeAs(bytes.mid(2), d.encoding, &d.clean);
        return d;
    }
    bool ok = false;
    d.text = decodeAs(bytes, "UTF-8", &ok);
    if (ok)
        return d;
    d.encoding = "Shift_JIS";
    d.text = decodeAs(bytes, d.encoding, &d.clean);
    return d;
}

QByteArray encodeText(const QString &text, const QByteArray &encoding, bool bom, bool *clean)
{
    QStringEncoder enc(encoding.constData(), QStringConverter::Flag::Stateless);
    if (!enc.isValid())
        enc = QStringEncoder(QStringConverter::Utf8);
    QByteArray out = enc.encode(text);
    if (clean)
        *clean = !enc.hasError();
    if (bom) {
        if (isUtf8Name(encoding))
            out.prepend("\xEF\xBB\xBF");
        else if (encoding.compare("UTF-16LE", Qt::CaseInsensitive) == 0)
            out.prepend("\xFF\xFE");
        else if (encoding.compare("UTF-16BE", Qt::CaseInsensitive) == 0)
            out.prepend("\xFE\xFF");
    }
    return out;
}

int firstUnencodable(const QString &text, const QByteArray &encoding)
{
    bool clean = true;
    encodeText(text, encoding, false, &clean);
    if (clean)
        return -1;
    for (int i = 0; i < text.size(); ++i) {
        const int n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        encodeText(text.mid(i, n), encoding, false, &clean);
        if (!clean)
            return i;
        i += n - 1;
    }
    return -1;
}

#pragma once
// Turning a page's bytes into text and back, remembering how it was written.
#include <QByteArray>
#include <QString>

struct Decoded {
    QString text;
    QByteArray encoding = "UTF-8";  // canonical name, e.g. "UTF-8", "Shift_JIS", "EUC-JP"
    bool bom = false;
    bool clean = true;              // false: the bytes are not valid text in the chosen encoding
};

// Chooses the encoding of the bytes and decodes them.
Decoded decodeBytes(const QByteArray &bytes);

// Decodes bytes in a known encoding; *clean tells whether every byte was valid.
QString decodeAs(const QByteArray &bytes, const QByteArray &encoding, bool *clean = nullptr);

// Encodes text; *clean is false when a character cannot be written in the encoding.
QByteArray encodeText(const QString &text, const QByteArray &encoding, bool bom, bool *clean = nullptr);

// First character the encoding cannot hold, or -1.
int firstUnencodable(const QString &text, const QByteArray &encoding);

#pragma once
// Text files: documents, the preview file, history files and inserted files.
// Inside the editor a line break is "\n"; on disk the file keeps its own line ends,
// encoding and byte-order mark, which the document remembers for its next save.
#include <QByteArray>
#include <QString>

enum class LineEnd { CRLF, LF, CR };

struct TextFormat {
    QByteArray encoding = "UTF-8";
    bool bom = false;
    LineEnd lineEnd = LineEnd::CRLF;
    bool finalLineEnd = true;  // the text is followed by a line end on disk
};

struct TextFileRead {
    enum Status { Ok, Missing, Unreadable };
    Status status = Missing;
    QString text;
    TextFormat format;
    bool clean = true;  // false: bytes that are not valid text in the chosen encoding
    QString error;      // why an existing file could not be read
};

// Reads and decodes a file. Line ends CR LF, CR and LF all become "\n"; the line end
// after the last line is dropped (and remembered).
TextFileRead readTextFileEx(const QString &path);

// The text of a file, or "" when it cannot be read.
QString ReadTextFile(const QString &path);

// Splits bytes that were read into text and format.
TextFileRead decodeTextFile(const QByteArray &bytes);
// The bytes a text is written as.
QByteArray encodeTextFile(const QString &text, const TextFormat &format, bool *clean = nullptr);

// Writes the text (plus the line end the format asks for) through a temporary file
// beside the target that replaces it only once everything was written; the former
// file's permissions are kept. On failure the old file is untouched and *error says why.
bool writeTextFile(const QString &path, const QString &text, const TextFormat &format = TextFormat(),
                   QString *error = nullptr);

// Writes bytes the same safe way.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

QString lineEndName(LineEnd lineEnd);  // "CRLF", "LF", "CR"

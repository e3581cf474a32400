#pragma once
// Text files: documents, the preview file, history files and inserted files.
// Inside the editor a line break is "\n"; on disk the file keeps its own line ends,
// encoding and byte-order mark, which the document remembers for its next save.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

enum class LineEnd { CRLF, LF, CR };

// The bytes a document was read from and the text they gave. A save in the same encoding
// copies the bytes of every line the user did not change (and of the unchanged start and end
// of a changed line), so bytes the encoding reads in more than one way, mixed line ends and
// damaged bytes all survive.
struct TextFileOrigin {
    QByteArray bytes;
    QString text;
    QByteArray encoding;
    bool bom = false;
    LineEnd lineEnd = LineEnd::CRLF;
    bool finalLineEnd = true;
};

struct TextFormat {
    QByteArray encoding = "UTF-8";
    bool bom = false;
    LineEnd lineEnd = LineEnd::CRLF;  // for new lines; the most frequent line end of the file read
    bool finalLineEnd = true;         // the text is followed by a line end on disk
    // Set by reading; used by writing while encoding, byte-order mark and line end are unchanged.
    std::shared_ptr<const TextFileOrigin> origin;
};

struct TextFileRead {
    enum Status { Ok, Missing, Unreadable };
    Status status = Missing;
    QString text;
    TextFormat format;
    bool clean = true;  // false: the bytes are not valid text in any supported encoding
    QString error;      // why an existing file could not be read (Japanese)
};

// A place in the editor's text: 1-based line and column (columns count UTF-16 units, as the
// status bar does).
struct TextPlace {
    qsizetype line = 1;
    qsizetype column = 1;
};

// Where the text shows bytes that could not be read (replacement marks, U+FFFD) or NUL
// characters: the first max places, and their number in *count.
std::vector<TextPlace> damagedPlaces(QStringView text, int max, qsizetype *count = nullptr);

// How many replacement marks a save of the text would write as real U+FFFD characters although
// they stand for bytes of the file that could not be read (and so would lose those bytes). 0 when
// every such byte is written back as it was.
qsizetype damagedBytesLost(const QString &text, const TextFormat &format);

// Reads and decodes a file. Line ends CR LF, CR and LF all become "\n"; the line end
// after the last line is dropped (and remembered). A missing file is Missing; a folder, a
// special file, a file without read permission or one too large to edit is Unreadable; the
// text is "" unless the status is Ok.
TextFileRead readTextFile(const QString &path);
// The same, decoded in the given format's encoding rather than a detected one.
TextFileRead readTextFile(const QString &path, const TextFormat &format);

// Splits bytes that were read into text and format.
TextFileRead decodeTextFile(const QByteArray &bytes);
// Where bytes do not decode in an encoding: 1-based line and column (in characters).
struct UndecodablePlace {
    qsizetype line = 0;
    qsizetype column = 0;
    QByteArray bytes;  // the bytes found there (at most four)
};

// Decodes bytes in the encoding the user names rather than a detected one, as reading does
// (its byte-order mark is skipped and remembered). When some bytes do not decode, places gets
// the first maxPlaces of them, *placeCount how many there are, and clean is false.
TextFileRead decodeTextFileIn(const QByteArray &bytes, const QByteArray &encoding,
                              std::vector<UndecodablePlace> *places = nullptr, qsizetype *placeCount = nullptr,
                              int maxPlaces = 5);

// Reads a file as readTextFile does, decoded in the encoding the user names (see decodeTextFileIn).
TextFileRead readTextFileIn(const QString &path, const QByteArray &encoding, std::vector<UndecodablePlace> *places = nullptr,
                            qsizetype *placeCount = nullptr);

// The format a document is written in after the user chose another encoding, byte-order mark or
// line end. Within the same encoding the bytes kept from the file stay kept: only the byte-order
// mark and every line end (all of them, mixed ones too) change.
TextFormat reformat(const TextFormat &format, const QByteArray &encoding, bool bom, LineEnd lineEnd);

// Decodes bytes in a known format's encoding (a byte-order mark of that encoding is skipped).
QString decodeTextFileAs(const QByteArray &bytes, const TextFormat &format, bool *clean = nullptr);

// The bytes a text is written as. *clean is false when a character cannot be written in the
// encoding; it then appears as an HTML character reference ("&#x1F600;"), never as "?".
QByteArray encodeTextFile(const QString &text, const TextFormat &format, bool *clean = nullptr);

// Whether a save of the text in this format writes every character (bytes kept from the file
// count as written). When it does not (an emoji typed into a Shift_JIS page) *unwritable gets
// those characters, at most 10: ask before saving.
bool canWriteText(const QString &text, const TextFormat &format, QStringList *unwritable = nullptr);

// What a write does with characters the encoding cannot hold.
enum class Unencodable {
    Refuse,    // write nothing and fail: the caller asks the user first
    CharRefs,  // write them as HTML character references (for the preview file)
};

// Writes the text (plus the line end the format asks for) through a temporary file
// beside the target that replaces it only once everything was written and synced; the former
// file's permissions are kept. On failure the old file is untouched and *error says why, in
// Japanese.
bool writeTextFile(const QString &path, const QString &text, const TextFormat &format = TextFormat(),
                   QString *error = nullptr, Unencodable unencodable = Unencodable::Refuse);

// Writes bytes the same safe way.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);

const char *lineEndBytes(LineEnd lineEnd);  // "\r\n", "\n", "\r"
// The text (lines ended by "\n") with each line end written as lineEnd.
QString withLineEnds(QStringView text, LineEnd lineEnd);
QString lineEndName(LineEnd lineEnd);     // "CRLF", "LF", "CR"
QString lineEndCaption(LineEnd lineEnd);  // "CR+LF", "LF", "CR", as the user sees them

namespace TextFileTesting {
// Called after each chunk written to the temporary file with the number of bytes written so
// far; lets a test kill a process in the middle of a save. Empty function: none.
void setChunkHook(std::function<void(qint64)> hook);
// How often bytes kept from the original failed to read back as the text and the whole text
// was encoded anew instead (a fault in keeping bytes; should stay 0).
int spliceFallbacks();
// Stands in for the check whether a path lies on a read-only file system (mounting one needs
// privileges a test does not have). Empty function: the real check.
void setReadOnlyFileSystemCheck(std::function<bool(const QString &)> check);
}

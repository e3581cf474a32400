#pragma once
// What the link path picker computes, apart from its window: the document's folder
// and its parent, the path each of the five modes composes, the folder the file list
// shows for a mode, the size display and the kind of preview a file gets.
//
// Folders are written with "/" separators and without a trailing "/", except the root
// folder "/" itself, which plays the part of a drive root: a name is appended to it
// without a further separator, and a document in it has no parent folder.
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace PathLogic {

// Option1 … Option5.
enum class Mode { Same = 1, Sub, Parent, Sibling, Absolute };

// Text1 … Text7 as typed; index 0 is unused so that texts[n] is TextN.
using Texts = std::array<QString, 8>;

struct Folders {
    QString current;  // the document's folder ("/" for a document in the root)
    QString upper;    // its parent ("/" directly below the root); empty when there is none
    bool hasUpper() const { return !upper.isEmpty(); }
};

// The folders of a document. A relative document path (a bare name from the command
// line, say) is taken relative to workingFolder.
Folders foldersOf(const QString &documentPath, const QString &workingFolder);

// folder + "/" + name, or folder + name when the folder is the root "/".
QString joinPath(const QString &folder, const QString &name);

// The path OK hands back for a mode; texts are used verbatim.
QString composePath(Mode mode, const Texts &texts);

// The folder the file list shows in a mode, or nothing when the list is disabled
// (an empty folder name, the absolute mode, or a parent that does not exist).
std::optional<QString> listFolder(Mode mode, const Folders &folders, const Texts &texts);

// Which of Text1 … Text7 a mode enables (index as in Texts).
std::array<bool, 8> enabledTexts(Mode mode);

// The text box a double-click on the file list fills in a mode (index as in Texts).
int fileNameBox(Mode mode);

// The file list's filter: 0 all files, 1 pictures, 2 pages.
QStringList filterPatterns(int filter);

// "#,##0.###" of bytes / 1000: grouped thousands, up to three decimals, no decimal
// point for a whole number ("0", "0.999", "1", "1,234.567").
QString kilobytesText(qint64 bytes);
// The size label: "ﾌｧｲﾙｻｲｽﾞ＝", a line break, the kilobytes and "ｷﾛﾊﾞｲﾄ".
QString sizeLabel(qint64 bytes);

enum class PreviewKind { Page, Picture, Text };
// By the end of the name: "htm"/"tml" a page; "jpg", "peg", "gif", "bmp", "ico",
// "wmf" or any other suffix the picture readers know a picture; the rest text.
// Letter case does not matter.
PreviewKind previewKindOf(const QString &fileName);

// The first lines of a text, at most maxLines of them.
QString firstLines(const QString &text, int maxLines = 15);

// The text preview of a file: its first 15 lines, decoded as a document is.
// Empty when the file cannot be read. Only the start of a large file is read.
QString textPreview(const QString &path);

}

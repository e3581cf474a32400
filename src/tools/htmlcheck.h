#pragma once
// The page checks of our own: mistakes that break Japanese pages without being HTML
// errors. Each check is a plain function of the text (and, for links, the folder the page
// lies in) that returns findings with their position in the text.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <vector>

namespace HtmlCheck {

enum class Kind { Error, Warning, Info };
enum class Fix { None, HalfWidthSpace };  // what the row's context menu can do about it

struct Finding {
    int pos = 0;      // in the text the check ran on
    int length = 0;
    Kind kind = Kind::Warning;
    QString message;  // Japanese
    QString detail;   // tool-tip: the checker's original English text, or a longer note
    Fix fix = Fix::None;
};
using Findings = std::vector<Finding>;

// Each check stops after this many findings: a page with a mistake on every line needs
// no more rows to show it, and a 50 MB page stays within memory.
constexpr int MaxFindings = 10000;

QString kindName(Kind kind);  // "エラー", "警告", "情報"

// A full-width space between "<" and ">" outside a quoted attribute value: the browser
// takes it for part of a name, and the attribute after it is lost.
Findings fullWidthSpaces(QStringView text);

// Runs of half-width katakana (U+FF61-U+FF9F), one finding per run.
Findings halfWidthKatakana(QStringView text);

// Whether the encoding is one of the legacy Japanese ones (Shift_JIS, EUC-JP, ISO-2022-JP).
bool isLegacyJapanese(const QByteArray &encoding);
// Whether a character exists only in the vendor extensions of the Windows code page
// (circled numbers, Roman numerals, ㈱, ㍉, the NEC and IBM kanji) or in the private use
// area: readers on other systems see other characters or none.
bool isPlatformDependent(char32_t c);
// Platform-dependent characters in a page saved in a legacy Japanese encoding.
Findings platformDependentCharacters(QStringView text, const QByteArray &encoding);

// Charset declarations (<meta charset>, http-equiv Content-Type, XML declaration) that
// name another encoding than the one the page is saved in (エラー), or none at all (警告).
Findings charsetDeclaration(QStringView text, const QByteArray &encoding);

// Local links and sources (href, src, background, data, lowsrc, CSS url()) that name no
// existing file relative to folder, compared case-sensitively as a web server on Linux
// does. The detail says when a file differs only in letter case. cancel, when set, stops
// the check early.
Findings localLinks(QStringView text, const QString &folder, const std::atomic_bool *cancel = nullptr);

// Frame names given by <frame name> and <iframe name> in a page.
QStringList frameNames(QStringView text);
// Frame names given by the other pages (.htm, .html) of a folder: the frameset that
// shows this page usually lies beside it.
QStringList frameNamesInFolder(const QString &folder, const QString &exceptFile,
                               const std::atomic_bool *cancel = nullptr);
// target attributes naming a frame that is named neither in the page nor in knownFrames;
// usemap attributes naming no <map> of the page.
Findings targetsAndMaps(QStringView text, const QStringList &knownFrames);

// 1-based line and column (in UTF-16 units) of a position of the text.
struct LineColumn {
    int line = 1;
    int column = 1;
};
LineColumn lineColumn(QStringView text, int pos);

}

#pragma once
// Shift_JIS-2004 and EUC-JIS-2004: the two byte forms of JIS X 0213 (both planes, with the
// 25 codes that stand for a letter and a combining mark, such as か゚).
//
// The character tables are read once, at first use, from the C library's iconv converters
// SHIFT_JISX0213 and EUC-JISX0213; the conversion itself is done here, so that bytes
// 0x00-0x7F are always ASCII (as browsers read these pages: 0x5C is "\", not "¥"), a broken
// byte is reported where it is, and every character remembers the byte it came from.
#include <QByteArray>
#include <QString>
#include <QStringView>

#include <vector>

namespace Jisx0213 {

enum class Form { ShiftJis, Euc };

// Whether the tables could be read (the C library has the converters).
bool available(Form form);

// Decodes; a byte sequence that is not a character becomes U+FFFD and counts in *errors.
// offsets receives, for every UTF-16 unit of the result, the index of the byte it came from;
// errorOffsets the index of every undecodable sequence. stopAtError ends at the first one.
QString decode(Form form, const char *data, qsizetype size, qsizetype *errors = nullptr,
               std::vector<qsizetype> *offsets = nullptr, std::vector<qsizetype> *errorOffsets = nullptr,
               bool stopAtError = false);

// Encodes. A character the form cannot hold is written as "&#x…;" (a lone surrogate as
// "&#xFFFD;") and counted in *unencodable; firstUnencodable, when given, gets the index of the
// first such character (or -1); asked for that alone, it stops there.
QByteArray encode(Form form, QStringView text, qsizetype *unencodable = nullptr,
                  qsizetype *firstUnencodable = nullptr);

}  // namespace Jisx0213

#pragma once
// Conversions of the selected text: letter case, character width, kana script,
// removing tags and marking line breaks. Each conversion is a plain function from
// text to text; runConversion applies one of them to the editing area's selection.
#include <QString>

class EditArea;

// Scans text from the start. With an empty endDelimiter every occurrence of find is
// replaced by replacement. Otherwise every span from an occurrence of find through
// the first endDelimiter after it (both included) is replaced; a find with no
// delimiter after it ends the scan and the rest stays as it is. The scan resumes
// after each inserted replacement, so a replacement is never scanned again.
// Comparison is exact. An empty find returns the text unchanged. Linear in the
// length of the text.
QString ReplaceInText(const QString &text, const QString &find, const QString &replacement,
                      const QString &endDelimiter);

namespace Conversion {

QString upper(const QString &text);     // full Unicode case mapping (ß -> SS, ａ -> Ａ)
QString lower(const QString &text);

// Half-width to full-width: printable ASCII -> U+FF01..U+FF5E, space -> U+3000,
// half-width katakana and punctuation -> katakana (a following ﾞ or ﾟ merged into
// the kana where the voiced form exists), the other half-width forms (¥, ¢, hangul…).
QString wide(const QString &text);
// The reverse: voiced kana are split into kana + ﾞ/ﾟ. Kana without a half-width
// form (ヵ, ヶ, ヮ, ヰ, ヱ, ヸ, ヹ) and hiragana stay.
QString narrow(const QString &text);

// One half-width katakana, punctuation mark or sound mark (U+FF61…U+FF9F) in its
// full-width form; 0 for any other character.
char16_t fullWidthKana(char16_t half);
// The katakana or hiragana that a sound mark after kana stands for (カ + ゛ = ガ,
// は + ゜ = ぱ); mark is ゛/゜, ﾞ/ﾟ or the combining U+3099/U+309A. 0 when there is none.
char16_t withSoundMark(char16_t kana, char16_t mark);

// Between the hiragana and katakana blocks; characters without a counterpart stay.
QString katakana(const QString &text);
QString hiragana(const QString &text);

// Every span from "<" through the next ">" removed.
QString removeTags(const QString &text);
// "<br>" put before every line break.
QString markLineBreaks(const QString &text);

using Converter = QString (*)(const QString &text);
}

// Converts the selection of the editing area and puts the result in its place (rule B):
// the caret ends after it, nothing selected. With nothing selected nothing changes. A
// conversion that changes nothing leaves the text untouched (no change, no history step)
// and only moves the caret.
void runConversion(EditArea *edit, Conversion::Converter convert);

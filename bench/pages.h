#pragma once
// The pages the benchmarks work on: generated, deterministic HTML that looks like a
// Japanese company or catalogue page (headings, paragraphs, links with attributes,
// lists and long tables, some half-width katakana), every character of it writable in
// Shift_JIS.
#include <QByteArray>
#include <QString>

namespace Pages {

// The page at a scale: scale 1 has exactly 100,000 tags (100,000 "<") and about 1 MB in
// UTF-8; scale 10 has 1,000,000 tags and about 10 MB. Line breaks are "\n", as in the
// editor. The page declares the given charset in its <meta> tag.
QString page(int scale, const QByteArray &charset = "UTF-8");

// A phrase that occurs exactly once, in the last paragraph of the page.
QString endMarker();

// Number of "<" in the text (the benchmarks' notion of a tag).
int tagCount(const QString &text);

// The bytes of the page as a file: "UTF-8" or "Shift_JIS", CR LF line ends.
QByteArray fileBytes(const QString &text, const QByteArray &encoding);

// Writes the four benchmark pages into folder and returns their paths through the names
// below. Existing files are left as they are.
QString fileName(int scale, const QByteArray &encoding);  // "page-1mb-utf8.htm" ...
QString writePage(const QString &folder, int scale, const QByteArray &encoding);
// Writes all four (1 MB and 10 MB, UTF-8 and Shift_JIS) and prints "path<TAB>bytes" for each.
int writeAll(const QString &folder);

// Japanese running text of exactly n characters (for the gradient).
QString japaneseText(int n);

}

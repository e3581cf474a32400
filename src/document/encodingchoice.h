#pragma once
// What the user can choose about a document's encoding: the list of encodings, the page's own
// charset declarations, and characters the chosen encoding cannot hold.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace EncodingChoice {

// The encodings offered first, in menu order: UTF-8, Shift_JIS, EUC-JP, ISO-2022-JP, UTF-16LE,
// UTF-16BE, Shift_JIS-2004, EUC-JIS-2004.
const QList<QByteArray> &mainEncodings();
// Every encoding the platform converts, the main ones first, then the others by name.
const QList<QByteArray> &allEncodings();
// Whether web browsers read pages in the encoding. They do not know JIS X 0213
// (Shift_JIS-2004, EUC-JIS-2004): the preview of such a page is written in UTF-8.
bool browsersRead(const QByteArray &encoding);
// Whether files in the encoding may start with a byte-order mark (UTF-8, UTF-16).
bool allowsBom(const QByteArray &encoding);

// The charset labels the page declares in its first 8 KB, as written (for "shift_jis" in
// <meta charset="shift_jis">, "shift_jis").
QStringList declaredLabels(const QString &html);
// The first declared label that does not name the encoding ("" when all agree or there is none).
// A label no encoding answers to ("x-unknown") disagrees with every encoding.
QString disagreeingLabel(const QString &html, const QByteArray &encoding);

// Characters the encoding cannot hold, written as hexadecimal character references ("&#x1F363;"),
// one per code point; a lone surrogate half, which is no character, as "&#xFFFD;". *count gets
// how many were replaced.
QString toCharacterReferences(const QString &text, const QByteArray &encoding, int *count = nullptr);
// Of the characters the encoding cannot hold, those inside <script> or <style> elements, where a
// reference is not read as the character (distinct, in order, at most max).
QStringList unencodableInScriptOrStyle(const QString &text, const QByteArray &encoding, int max = 10);

}  // namespace EncodingChoice

#pragma once
// Reader for rich text (RTF) as other programs put it on the clipboard or in .rtf
// files: the text with its character formatting, as runs, as HTML for the editing
// area (EditArea::setSelRichText) and as plain text for the document.
//
// Understood: font and colour tables; \b \i \ul… \strike \fs \f \cf \cb/\highlight
// \super \sub \v \plain; \uN with \ucN fallback skipping; \'hh bytes in the code page
// of the run's font (\fcharset, \cpg) or of the document (\ansicpg, \mac, \pc, \pca),
// double-byte code pages such as Shift_JIS included; \par \line \tab \cell \row and
// the named punctuation; \bin data; groups that carry no text (\*\…, \pict, \info,
// \stylesheet, headers, footnotes, field instructions…) are skipped. Malformed or
// truncated input yields what could be read; reading never fails.
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>

namespace Rtf {

struct Format {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int halfPoints = 0;   // font size in half points; 0: not given
    QString font;         // font family name; "": not given
    QColor color;         // invalid: automatic
    QColor background;    // invalid: none
    int vertical = 0;     // 1 superscript, -1 subscript
    bool operator==(const Format &other) const = default;
};

struct Run {
    QString text;  // line breaks are "\n"
    Format format;
};

struct Document {
    QList<Run> runs;
    QString plainText() const;
    // One <span> per run, the text escaped, line breaks kept as "\n" in pre-wrap
    // spans so that the editing area turns them into its own line breaks.
    QString html() const;
};

// Whether the bytes start like an RTF document ("{\rtf", after white space or a
// UTF-8 byte-order mark).
bool isRtf(const QByteArray &bytes);

Document read(const QByteArray &rtf);

inline QString toHtml(const QByteArray &rtf) { return read(rtf).html(); }
inline QString toPlainText(const QByteArray &rtf) { return read(rtf).plainText(); }

// HTML text with &, <, > and " escaped.
QString escapeHtml(const QString &text);

}

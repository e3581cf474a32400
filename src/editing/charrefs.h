#pragma once
// Character references: the selection's non-ASCII characters written as numeric
// references, and references turned back into the characters they stand for.
#include <QString>
#include <QStringView>

namespace CharRefs {

// Every character beyond ASCII as "&#x…;" (upper-case hexadecimal), one reference per
// code point: a character beyond U+FFFF is one reference, not two. ASCII, line breaks
// and lone surrogates stay as they are.
QString toRefs(const QString &text);

// Numeric ("&#12354;", "&#x3042;") and named ("&hellip;") references, each with its ";",
// as their characters. References to "<", ">", "&", '"' and "'" stay, since they keep
// the markup apart from the text; so do references to nothing (0, surrogates, beyond
// U+10FFFF), to control characters, and unknown names.
QString fromRefs(const QString &text);

// The code points a named reference (without "&" and ";") stands for; empty when the
// name is unknown. Names are case-sensitive ("&Auml;" is not "&auml;").
QString named(QStringView name);

}

#pragma once
// The editor's colours, all in one table (scheme.cpp): the live colours of each kind of
// token and the colours of the editing surface (caret line, matching tags, line numbers,
// whitespace marks), each in a light and a dark variant. The dark variant is used when
// the editor's background is dark (a dark system palette).
#include "editing/syntax.h"

#include <QColor>
#include <QTextCharFormat>

class QPalette;

namespace Scheme {

enum class Surface {
    Text,            // plain text
    CaretLine,       // background of the caret's line
    MatchBackground, // background of a matching tag or bracket
    GutterBackground,
    GutterText,
    GutterCaret,     // the caret's line number
    Whitespace,      // full-width space boxes, tab arrows, line-end marks
};

bool isDark(const QPalette &palette);
QColor colour(Syntax::Kind kind, bool dark);
QColor colour(Surface surface, bool dark);
// Foreground (and weight) of a kind of token.
QTextCharFormat format(Syntax::Kind kind, bool dark);

}

#include "scheme.h"

#include <QPalette>

namespace Scheme {

namespace {

struct Entry {
    QRgb light;
    QRgb dark;
    bool bold;
};

// Indexed by Syntax::Kind.
constexpr Entry kTokens[] = {
    /* Plain       */ {0x000000, 0xd4d4d4, false},
    /* Tag         */ {0x1a1aa6, 0x808cff, false},
    /* TagName     */ {0x1a1aa6, 0x7fb4ff, false},
    /* AttrName    */ {0x8a4600, 0xffc66d, false},
    /* AttrValue   */ {0x0a7d28, 0x9cd67a, false},
    /* Comment     */ {0x7a7a7a, 0x8a9a8a, false},
    /* Doctype     */ {0x6d28a8, 0xc59cf0, false},
    /* CharRef     */ {0xb0007a, 0xff8ad8, false},
    /* Server      */ {0xa03800, 0xff9a5c, false},
    /* CssSelector */ {0x7a1fa2, 0xd7a6ff, false},
    /* CssProperty */ {0x00607a, 0x6fd3f2, false},
    /* CssValue    */ {0x0a7d28, 0x9cd67a, false},
    /* JsKeyword   */ {0x0033b3, 0x7fb4ff, false},
    /* JsString    */ {0x0a7d28, 0x9cd67a, false},
    /* JsNumber    */ {0x1750eb, 0xb5cea8, false},
    /* Bracket     */ {0x000000, 0xd4d4d4, false},
};
static_assert(std::size(kTokens) == size_t(Syntax::Kind::Count));

// Indexed by Surface.
constexpr Entry kSurface[] = {
    /* Text             */ {0x000000, 0xd4d4d4, false},
    /* CaretLine        */ {0xfff8d8, 0x2e3138, false},
    /* MatchBackground  */ {0xc8e6ff, 0x38506e, false},
    /* GutterBackground */ {0xf2f2f2, 0x25272b, false},
    /* GutterText       */ {0x9a9a9a, 0x6e7378, false},
    /* GutterCaret      */ {0x202020, 0xe6e6e6, true},
    /* Whitespace       */ {0xb0b8c8, 0x5a6070, false},
};

QColor pick(const Entry &e, bool dark)
{
    return QColor::fromRgb(dark ? e.dark : e.light);
}

}

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Base).lightness() < 128;
}

QColor colour(Syntax::Kind kind, bool dark)
{
    return pick(kTokens[size_t(kind)], dark);
}

QColor colour(Surface surface, bool dark)
{
    return pick(kSurface[size_t(surface)], dark);
}

QTextCharFormat format(Syntax::Kind kind, bool dark)
{
    QTextCharFormat f;
    f.setForeground(colour(kind, dark));
    if (kTokens[size_t(kind)].bold)
        f.setFontWeight(QFont::Bold);
    return f;
}

}

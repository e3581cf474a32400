#pragma once
// Ruby (readings set beside the base text) as markup: the text the ruby dialog inserts.
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace Ruby {

enum class Form {
    Whole,  // one reading over the whole base: <ruby>漢字<rt>かんじ</rt></ruby>
    Each,   // one reading per base character, from a reading split at spaces
};

// The reading split at spaces (half- or full-width), empty parts dropped.
QStringList readingParts(const QString &reading);
// The base's characters as a reader sees them (a character beyond U+FFFF, or one with
// a variation selector, is one).
QStringList baseCharacters(const QString &base);
// Whether Each can set one reading per character: as many parts as characters, and
// more than one part.
bool fitsEach(const QString &base, const QString &reading);

// Pairs of base text and reading in the order they are written. Each falls back to one
// pair for the whole base when the reading does not fit the characters (the spaces then
// dropped from the reading).
std::vector<std::pair<QString, QString>> pairs(const QString &base, const QString &reading, Form form);

// <ruby>漢字<rp>（</rp><rt>かんじ</rt><rp>）</rp></ruby>; without rp the parentheses for
// browsers that show no ruby are left out. Texts are written as given.
QString markup(const QString &base, const QString &reading, Form form, bool rp);

}

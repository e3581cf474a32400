#pragma once
// The built-in tags: pairs with an end tag and single texts. The palette's plain
// buttons and the Tag menu both come from these tables.
#include <QString>
#include <array>

struct PairTag {
    QString start;
    QString end;
};

namespace TagTables {
// The classic entries (0..PairFilled-1, 0..SingleFilled-1) are the ones the Tag menu
// lists; the HTML5 tab's entries follow them.
constexpr int PairCount = 51;    // entries 0..39 classic, 40..50 HTML5
constexpr int PairFilled = 40;
constexpr int SingleCount = 37;  // entries 0..23 classic, 24..36 HTML5
constexpr int SingleFilled = 24;
constexpr int Html5PairFirst = PairFilled;
constexpr int Html5SingleFirst = SingleFilled;

const std::array<PairTag, PairCount> &pairTags();
const std::array<QString, SingleCount> &singleTags();
}

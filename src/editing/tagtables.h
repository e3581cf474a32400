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
constexpr int PairCount = 51;    // entries 0..39 filled
constexpr int PairFilled = 40;
constexpr int SingleCount = 31;  // entries 0..23 filled
constexpr int SingleFilled = 24;

const std::array<PairTag, PairCount> &pairTags();
const std::array<QString, SingleCount> &singleTags();
}

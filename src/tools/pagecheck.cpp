#include "pagecheck.h"

#include "htmlscan.h"
#include "tidycheck.h"

#include <QFileInfo>

#include <algorithm>

namespace PageCheck {

using HtmlCheck::Finding;
using HtmlCheck::Findings;
using HtmlCheck::Kind;

namespace {

Finding skipped(const QString &why)
{
    Finding f;
    f.kind = Kind::Info;
    f.message = why;
    f.detail = QStringLiteral("要素の閉じ忘れや入れ子、属性の誤りは調べていません。ほかのチェックは行いました。");
    return f;
}

}

Result run(const Input &input, const std::atomic_bool *cancel)
{
    Result result;
    auto stop = [&] {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            result.cancelled = true;
            result.findings.clear();
            return true;
        }
        return false;
    };
    const QString &text = input.text;
    Findings all;
    auto append = [&](Findings &&found) {
        if (int(found.size()) >= HtmlCheck::MaxFindings)
            result.truncated = true;  // the check stopped at its limit
        all.insert(all.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
    };
    append(HtmlCheck::fullWidthSpaces(text));
    append(HtmlCheck::halfWidthKatakana(text));
    append(HtmlCheck::platformDependentCharacters(text, input.encoding));
    append(HtmlCheck::charsetDeclaration(text, input.encoding));
    if (stop())
        return result;
    if (!input.documentPath.isEmpty()) {
        const QString folder = QFileInfo(input.documentPath).absolutePath();
        append(HtmlCheck::localLinks(text, folder, cancel));
        if (stop())
            return result;
        append(HtmlCheck::targetsAndMaps(text, HtmlCheck::frameNamesInFolder(folder, input.documentPath, cancel)));
    } else {
        append(HtmlCheck::targetsAndMaps(text, {}));
    }
    if (stop())
        return result;

    const int depth = text.size() > StructureMaxLength ? 0 : HtmlScan::nestingDepth(text);
    if (text.size() > StructureMaxLength) {
        all.push_back(skipped(QStringLiteral("ページが大きすぎるため（%1 文字）、構造のチェックを省略しました").arg(text.size())));
    } else if (depth > StructureMaxDepth) {
        all.push_back(skipped(QStringLiteral("要素の入れ子が深すぎるため（%1 段）、構造のチェックを省略しました").arg(depth)));
    } else {
        bool stopped = false;
        Findings structure = TidyCheck::check(text, cancel, std::chrono::seconds(10), &stopped);
        if (stop())
            return result;
        append(std::move(structure));
    }

    std::stable_sort(all.begin(), all.end(), [](const Finding &a, const Finding &b) { return a.pos < b.pos; });
    result.truncated = result.truncated || int(all.size()) > MaxRows;
    if (int(all.size()) > MaxRows)
        all.resize(MaxRows);
    result.findings = std::move(all);
    return result;
}

}

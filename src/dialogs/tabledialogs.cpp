#include "tabledialogs.h"

#include <QGridLayout>
#include <QListWidget>

const std::vector<AttrRowSpec> &tableAttrDefs()
{
    static const std::vector<AttrRowSpec> defs{
        {"Check1", "周りの幅(boder)", "Text1", {}, "10", " border="},
        {"Check2", "内側線と外側線の距離(cellspacing)", "Text2", {}, "5", " cellspacing="},
        {"Check3", "内側線とテキストの距離(cellpadding)", "Text3", {}, "2", " cellpadding="},
    };
    return defs;
}

QString tableStartTag(const std::vector<AttrRow> &rows)
{
    return QStringLiteral("<table") + composeAttributes(rows) + QLatin1Char('>');
}

HyouFrm::HyouFrm(EditArea *edit, QWidget *parent)
    : InsertingDialog(edit, parent, QStringLiteral("hyoufrm"), QStringLiteral("<table>"))
{
    auto *grid = new QGridLayout;
    m_rows = addAttrRows(this, grid, 0, tableAttrDefs());
    finish(grid);
}

Insertion HyouFrm::insertion() const
{
    return Insertion::wrapping(tableStartTag(m_rows) + QLatin1Char('\n'), QStringLiteral("\n</table>"));
}

TdFrm::TdFrm(EditArea *edit, QWidget *parent)
    : InsertingDialog(edit, parent, QStringLiteral("tdfrm"), QStringLiteral("<td>"))
{
    auto *grid = new QGridLayout;
    m_rows = addAttrRows(this, grid, 0,
                         {
                             {"Check1", "横方向にセルをまたぐ (colspan)", "Text1", {}, "2", " colspan=", Quote::None, "つ"},
                             {"Check2", "下方向にセルをまたぐ (rowspan)", "Text2", {}, "2", " rowspan=", Quote::None, "つ"},
                             {"Check3", "横の位置 (align)", "List1", alignItems(), {}, " align="},
                             {"Check4", "縦の位置 (valigin)", "List2", valignItems(), {}, " valign="},
                         });
    // Form_Load: the first item of both lists.
    findChild<QListWidget *>("List1")->setCurrentRow(0);
    findChild<QListWidget *>("List2")->setCurrentRow(0);
    finish(grid);
}

Insertion TdFrm::insertion() const
{
    return Insertion::wrapping(QStringLiteral("<td") + composeAttributes(m_rows) + QLatin1Char('>'), QStringLiteral("</td>"));
}

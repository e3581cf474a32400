#include "tabledialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/editarea.h"
#include "tablecells.h"

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

hyoufrm::hyoufrm(QWidget *parent, EditArea *edit) : QDialog(parent), m_edit(edit)
{
    setObjectName("hyoufrm");
    setWindowTitle(QStringLiteral("<table>"));
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    m_rows = addAttrRows(this, grid, 0, tableAttrDefs());
    QPushButton *ok = addButtonRow(this, layout, "Command1", QStringLiteral("OK"));
    connect(ok, &QPushButton::clicked, this, &hyoufrm::Command1_Click);
}

void hyoufrm::run(QWidget *parent, EditArea *edit)
{
    hyoufrm dialog(parent, edit);
    dialog.exec();
}

void hyoufrm::Command1_Click()
{
    m_edit->wrap(tableStartTag(m_rows) + QLatin1Char('\n'), QStringLiteral("\n</table>"));
    accept();
}

tdfrm::tdfrm(QWidget *parent, EditArea *edit) : QDialog(parent), m_edit(edit)
{
    setObjectName("tdfrm");
    setWindowTitle(QStringLiteral("<td>"));
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
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
    QPushButton *ok = addButtonRow(this, layout, "Command1", QStringLiteral("OK"));
    connect(ok, &QPushButton::clicked, this, &tdfrm::Command1_Click);
}

void tdfrm::run(QWidget *parent, EditArea *edit)
{
    tdfrm dialog(parent, edit);
    dialog.exec();
}

void tdfrm::Command1_Click()
{
    m_edit->wrap(QStringLiteral("<td") + composeAttributes(m_rows) + QLatin1Char('>'), QStringLiteral("</td>"));
    accept();
}

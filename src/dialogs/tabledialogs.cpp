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

std::vector<AttrRow> addAttrRows(QWidget *owner, QGridLayout *grid, int firstRow, const std::vector<AttrRowSpec> &defs)
{
    std::vector<AttrRow> rows;
    int at = firstRow;
    for (const AttrRowSpec &def : defs) {
        auto *check = new QCheckBox(def.caption, owner);
        check->setObjectName(def.check);
        grid->addWidget(check, at, 0, Qt::AlignLeft | Qt::AlignTop);
        QWidget *value = nullptr;
        AttrRow row{check, def.attribute, {}, def.quote, {}};
        if (def.items.isEmpty()) {
            auto *edit = new QLineEdit(def.initial, owner);
            edit->setObjectName(def.control);
            edit->setFixedWidth(shortBoxWidth(edit));
            row.value = textOf(edit);
            value = edit;
        } else {
            QListWidget *list = makeShortList(owner, def.control, def.items);
            row.value = listItemOf(list);
            value = list;
        }
        if (def.unit.isEmpty()) {
            grid->addWidget(value, at, 1, Qt::AlignLeft | Qt::AlignTop);
        } else {
            auto *withUnit = new QHBoxLayout;
            withUnit->addWidget(value);
            withUnit->addWidget(new QLabel(def.unit, owner));
            withUnit->addStretch();
            grid->addLayout(withUnit, at, 1, Qt::AlignTop);
        }
        rows.push_back(std::move(row));
        ++at;
    }
    return rows;
}

QListWidget *makeShortList(QWidget *owner, const QString &name, const QStringList &items)
{
    auto *list = new QListWidget(owner);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->addItems(items);
    list->setCurrentRow(-1);
    list->clearSelection();
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rowHeight = qMax(list->sizeHintForRow(0), list->fontMetrics().height() + 2);
    list->setFixedHeight(rowHeight * int(items.size()) + 2 * list->frameWidth() + 2);
    int widest = 0;
    for (const QString &item : items)
        widest = qMax(widest, list->fontMetrics().horizontalAdvance(item));
    list->setFixedWidth(qMax(90, widest + 2 * list->frameWidth() + 16));
    return list;
}

int shortBoxWidth(const QWidget *box)
{
    return box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 8 + 12;
}

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

QPushButton *addButtonRow(QDialog *dialog, QBoxLayout *layout, const QString &name, const QString &caption)
{
    auto *box = new QDialogButtonBox(dialog);
    QPushButton *button = named(box->addButton(caption, QDialogButtonBox::AcceptRole), name);
    button->setDefault(true);
    layout->addWidget(box);
    return button;
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

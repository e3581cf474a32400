#include "attrrows.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>

QString attributeText(const QString &attribute, const QString &value, Quote quote, const QString &suffix)
{
    if (quote == Quote::Double)
        return attribute + QLatin1Char('"') + value + suffix + QLatin1Char('"');
    return attribute + value + suffix;
}

QString composeAttributes(const std::vector<AttrValue> &rows)
{
    QString out;
    for (const AttrValue &r : rows) {
        if (!r.on || !r.value.has_value())
            continue;
        out += attributeText(r.attribute, *r.value, r.quote, r.suffix);
    }
    return out;
}

std::vector<AttrValue> readRows(const std::vector<AttrRow> &rows)
{
    std::vector<AttrValue> out;
    out.reserve(rows.size());
    for (const AttrRow &r : rows) {
        AttrValue v;
        v.on = !r.check || r.check->isChecked();
        v.attribute = r.attribute;
        v.value = r.value ? r.value() : std::optional<QString>(QString());
        v.quote = r.quote;
        if (r.suffix)
            v.suffix = r.suffix();
        out.push_back(std::move(v));
    }
    return out;
}

QString composeAttributes(const std::vector<AttrRow> &rows)
{
    return composeAttributes(readRows(rows));
}

std::function<std::optional<QString>()> textOf(const QLineEdit *edit)
{
    return [edit]() -> std::optional<QString> { return edit->text(); };
}

std::function<std::optional<QString>()> spinOf(const QSpinBox *spin)
{
    return [spin]() -> std::optional<QString> { return QString::number(spin->value()); };
}

std::function<std::optional<QString>()> listItemOf(const QListWidget *list)
{
    return [list]() -> std::optional<QString> {
        const QListWidgetItem *item = list->currentItem();
        if (!item || list->currentRow() < 0 || !item->isSelected())
            return std::nullopt;
        return item->text();
    };
}

std::function<std::optional<QString>()> comboOf(const QComboBox *combo)
{
    return [combo]() -> std::optional<QString> {
        if (combo->currentIndex() < 0)
            return std::nullopt;
        return combo->currentText();
    };
}

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

const QStringList &alignItems()
{
    static const QStringList items{QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right")};
    return items;
}

const QStringList &valignItems()
{
    static const QStringList items{QStringLiteral("top"), QStringLiteral("middle"), QStringLiteral("bottom")};
    return items;
}

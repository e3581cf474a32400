#include "attrrows.h"

#include <QAbstractButton>
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

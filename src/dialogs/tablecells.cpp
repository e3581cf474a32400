#include "tablecells.h"

#include "attrrows.h"
#include "platform/twips.h"

namespace {

std::optional<QString> itemAt(const QStringList &items, int index)
{
    if (index < 0 || index >= items.size())
        return std::nullopt;
    return items.at(index);
}

constexpr double GridLeft = 120, GridTop = 300, GridWidth = 6000, GridHeight = 1800, GridGap = 20;

}  // namespace

QString buildCellHtml(const CellState &cell)
{
    const QString tag = cell.dataCell ? QStringLiteral("td") : QStringLiteral("th");
    // Height is written before width.
    const std::vector<AttrValue> rows{
        {cell.alignOn == 1, " align=", itemAt(alignItems(), cell.alignIndex), Quote::Double, {}},
        {cell.valignOn == 1, " valign=", itemAt(valignItems(), cell.valignIndex), Quote::Double, {}},
        {cell.nowrap == 1, " nowrap", QString(), Quote::None, {}},
        {cell.heightOn == 1, " height=", cell.heightText, Quote::None, {}},
        {cell.widthOn == 1, " width=", cell.widthText, Quote::None, {}},
    };
    return QLatin1Char('<') + tag + composeAttributes(rows) + QLatin1Char('>') + cell.content +
           QStringLiteral("</") + tag + QLatin1Char('>');
}

QString buildTableText(const QString &startTag, int columns, int rows, const CellGrid<QString> &cells)
{
    columns = qBound(0, columns, MaxTableSize);
    rows = qBound(0, rows, MaxTableSize);
    QString out = startTag + QLatin1Char('\n');
    for (int r = 0; r < rows; ++r) {
        out += QStringLiteral("<tr>\n");
        for (int c = 0; c < columns; ++c)
            out += cells[c][r];
        out += QStringLiteral("\n</tr>\n");
    }
    out += QStringLiteral("</table>");
    return out;
}

QString sizeLabelText(int columns, int rows)
{
    return QString::number(columns) + QLatin1Char(',') + QString::number(rows);
}

QString cellCaption(int column, int row)
{
    return QStringLiteral("選択セル(") + QString::number(column + 1) + QLatin1Char(',') +
           QString::number(row + 1) + QLatin1Char(')');
}

QRectF gridCellTwips(int columns, int rows, int column, int row)
{
    const double w = GridWidth / columns;
    const double h = GridHeight / rows;
    return QRectF(GridLeft + w * column, GridTop + h * row, w - GridGap, h - GridGap);
}

QRect gridCellPixels(int columns, int rows, int column, int row)
{
    const QRectF t = gridCellTwips(columns, rows, column, row);
    // Round both edges, so that the gaps stay even across the grid.
    const int left = Twips::toPixels(t.left()), top = Twips::toPixels(t.top());
    const int right = Twips::toPixels(t.left() + t.width()), bottom = Twips::toPixels(t.top() + t.height());
    return QRect(left, top, qMax(1, right - left), qMax(1, bottom - top));
}

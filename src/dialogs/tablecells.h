#pragma once
// The text side of the table wizard: one cell's settings, the cell and table HTML
// built from them, and the layout of the cell grid. No widgets here.
#include <QRect>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <array>

constexpr int MaxTableSize = 10;  // columns and rows

// What the table wizard's steps hand on: the size from step 1, the start tag from step 2.
struct TableSpec {
    int columns = 1;
    int rows = 1;
    QString startTag;
};

// What the cell panel shows for one cell. Check boxes keep their 0/1 value, lists
// their selected row (-1: nothing selected).
struct CellState {
    bool dataCell = true;    // "データセル"
    bool headerCell = false; // "見出しセル"
    int alignOn = 0;
    int alignIndex = -1;     // in alignItems() (attrrows.h)
    int valignOn = 0;
    int valignIndex = -1;    // in valignItems()
    int nowrap = 0;
    int widthOn = 0;
    QString widthText;
    int heightOn = 0;
    QString heightText;
    QString content;

    bool operator==(const CellState &) const = default;
};

// "<td align="center" nowrap height=20 width=50>content</td>", or the "th" form for a
// header cell.
QString buildCellHtml(const CellState &cell);

// Indexed [column][row].
template <typename T>
using CellGrid = std::array<std::array<T, MaxTableSize>, MaxTableSize>;

// The whole table: the start tag, one "<tr>" line block per row with that row's cells
// run together, and "</table>" without a line break after it.
QString buildTableText(const QString &startTag, int columns, int rows, const CellGrid<QString> &cells);

// "1,1" for the size label of the first step.
QString sizeLabelText(int columns, int rows);
// "選択セル(3,2)" for the cell in column 2, row 1 (0-based).
QString cellCaption(int column, int row);

// Grid label index of a cell, and back.
inline int gridIndex(int column, int row) { return row * MaxTableSize + column; }
inline int gridColumn(int index) { return index % MaxTableSize; }
inline int gridRow(int index) { return index / MaxTableSize; }

// Where a cell's label sits, in twips of the window: a 6000 × 1800 area from (120, 300)
// shared evenly among the cells, with a 20-twip gap.
QRectF gridCellTwips(int columns, int rows, int column, int row);
// The same in pixels at the design resolution; neighbouring cells never overlap.
QRect gridCellPixels(int columns, int rows, int column, int row);

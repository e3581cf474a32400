#pragma once
// The table wizard: three modal steps (size, table attributes, cells) chained one
// inside the other, each handing a TableSpec to the next. Step 1 and 2 hide themselves
// while the next step runs and close when it returns; step 3's OK makes the table.
// Closing any step with its close box (or Esc) ends the chain without a table.
#include <QDialog>
#include <QLabel>
#include <optional>
#include <vector>

#include "attrrows.h"
#include "tablecells.h"

class EditArea;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;

// Step 1: the table size.
class Wiz1Frm : public QDialog {
    Q_OBJECT
public:
    explicit Wiz1Frm(QWidget *parent = nullptr);

    // Runs the whole wizard modally: the table text, or nothing when a step was closed.
    static std::optional<QString> compose(QWidget *parent);
    // The same, and the table replaces the selection of edit as one change.
    static void run(EditArea *edit, QWidget *parent);

    void updateSizeLabel();
    // "次へ-->": runs step 2 with the size (also left in Shared::TableColumns/TableRows).
    void next();
    const std::optional<QString> &table() const { return m_table; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::optional<QString> m_table;
    QScrollBar *m_columns;
    QScrollBar *m_rows;
    QLabel *m_size;
};

// Step 2: border, cellspacing and cellpadding of the table.
class Wiz2Frm : public QDialog {
    Q_OBJECT
public:
    explicit Wiz2Frm(const TableSpec &chosen, QWidget *parent = nullptr);

    // "次へ-->": runs step 3 with the start tag (also left in Shared::TableStartTag).
    void next();
    const std::optional<QString> &table() const { return m_table; }

private:
    TableSpec m_chosen;
    std::optional<QString> m_table;
    std::vector<AttrRow> m_rows;
};

// One label of the cell grid; reports clicks and arrow keys.
class GridLabel : public QLabel {
    Q_OBJECT
public:
    GridLabel(int index, QWidget *parent);
    int index() const { return m_index; }
    // Shows what the cell holds: its content, shortened to fit, in bold for a header
    // cell ("見出し" in grey while a header cell is empty); white on the selected cell.
    void showCell(const QString &content, bool header, bool selected);
signals:
    void clicked(int index);
    void moveRequested(int index, int dColumn, int dRow);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    int m_index;
};

// Step 3: the cell grid and the settings of the selected cell.
class Wiz3Frm : public QDialog {
    Q_OBJECT
public:
    explicit Wiz3Frm(const TableSpec &chosen, QWidget *parent = nullptr);

    void load();
    void selectCell(int index);
    void saveCellSettings();
    void loadCellSettings();
    void storeCellHtml();  // the panel's cell HTML for the selected cell
    // "OK": makes the table and closes.
    void finishTable();
    // The table made by OK; nothing before.
    const std::optional<QString> &table() const { return m_table; }

    int currentColumn() const { return m_column; }
    int currentRow() const { return m_row; }
    const QString &cellHtml(int column, int row) const { return CellHtml[column][row]; }
    const CellState &cellSettings(int column, int row) const { return CellSettings[column][row]; }
    // The panel as it stands.
    CellState panelState() const;

    static const QColor &selectedColor();

private:
    void setPanel(const CellState &cell);
    void paintLabel(int index, const QColor &color);
    // The grid label of a cell shows its settings (the current cell: the panel's).
    void showCell(int column, int row);
    void moveSelection(int index, int dColumn, int dRow);

    TableSpec m_chosen;
    std::optional<QString> m_table;
    int m_columns = 1;
    int m_rowsCount = 1;
    int m_column = 0;
    int m_row = 0;
    CellGrid<QString> CellHtml;
    CellGrid<CellState> CellSettings;

    std::vector<GridLabel *> m_labels;
    QGroupBox *m_frame;
    QRadioButton *m_data;
    QRadioButton *m_header;
    QCheckBox *m_alignOn;
    QListWidget *m_align;
    QCheckBox *m_valignOn;
    QListWidget *m_valign;
    QCheckBox *m_nowrap;
    QCheckBox *m_widthOn;
    QLineEdit *m_width;
    QCheckBox *m_heightOn;
    QLineEdit *m_height;
    QLineEdit *m_content;
};

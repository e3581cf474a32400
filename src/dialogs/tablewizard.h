#pragma once
// The table wizard: three modal steps (size, table attributes, cells) chained one
// inside the other. Step 1 and 2 hide themselves while the next step runs and close
// when it returns; only step 3's OK writes into the editing area. Closing any step
// with its close box (or Esc) ends the chain without inserting anything.
#include <QDialog>
#include <QLabel>
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
    explicit Wiz1Frm(EditArea *edit, QWidget *parent = nullptr);

    // Runs the whole wizard modally; the table replaces the selection of edit.
    static void run(EditArea *edit, QWidget *parent);

    void updateSizeLabel();
    // "次へ-->": keeps the size in Shared::TableColumns/TableRows and runs step 2.
    void next();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    EditArea *m_edit;
    QScrollBar *m_columns;
    QScrollBar *m_rows;
    QLabel *m_size;
};

// Step 2: border, cellspacing and cellpadding of the table.
class Wiz2Frm : public QDialog {
    Q_OBJECT
public:
    explicit Wiz2Frm(EditArea *edit, QWidget *parent = nullptr);

    // "次へ-->": keeps the start tag in Shared::TableStartTag and runs step 3.
    void next();

private:
    EditArea *m_edit;
    std::vector<AttrRow> m_rows;
};

// One label of the cell grid; reports clicks and arrow keys.
class GridLabel : public QLabel {
    Q_OBJECT
public:
    GridLabel(int index, QWidget *parent);
    int index() const { return m_index; }
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
    explicit Wiz3Frm(EditArea *edit, QWidget *parent = nullptr);

    void load();
    void selectCell(int index);
    void saveCellSettings();
    void loadCellSettings();
    void storeCellHtml();  // the panel's cell HTML for the selected cell
    // "OK": writes the table in place of the selection, as one change.
    void insertAndClose();

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
    void moveSelection(int index, int dColumn, int dRow);

    EditArea *m_edit;
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

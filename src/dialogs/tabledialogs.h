#pragma once
// The table dialog (wraps the selection in a table start and end tag) and the cell
// dialog (wraps it in a td start and end tag), and the three table attribute rows they
// share with the second step of the table wizard.
#include <QStringList>
#include <vector>

#include "attrrows.h"
#include "platform/dialogbase.h"

class QBoxLayout;
class QCheckBox;
class QGridLayout;
class QLineEdit;
class QListWidget;
class QPushButton;

// The rows "周りの幅(boder)" (border), cellspacing and cellpadding: Check1..3 with
// Text1..3 at "10", "5", "2".
const std::vector<AttrRowSpec> &tableAttrDefs();
// "<table" + the checked rows + ">".
QString tableStartTag(const std::vector<AttrRow> &rows);

class HyouFrm : public InsertingDialog {
    Q_OBJECT
public:
    explicit HyouFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; OK replaces the selection S with start tag, "\n", S, "\n", "</table>".
    static void run(EditArea *edit, QWidget *parent) { runModal<HyouFrm>(edit, parent); }

    Insertion insertion() const override;

private:
    std::vector<AttrRow> m_rows;
};

class TdFrm : public InsertingDialog {
    Q_OBJECT
public:
    explicit TdFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; OK replaces the selection S with start tag, S, "</td>".
    static void run(EditArea *edit, QWidget *parent) { runModal<TdFrm>(edit, parent); }

    Insertion insertion() const override;

private:
    std::vector<AttrRow> m_rows;
};

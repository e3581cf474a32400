#pragma once
// The table dialog (wraps the selection in a table start and end tag) and the cell
// dialog (wraps it in a td start and end tag), and the three table attribute rows they
// share with the second step of the table wizard.
#include <QDialog>
#include <QStringList>
#include <vector>

#include "attrrows.h"

class EditArea;
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

class hyoufrm : public QDialog {
    Q_OBJECT
public:
    hyoufrm(QWidget *parent, EditArea *edit);

    // Modal; OK replaces the selection S with start tag, "\n", S, "\n", "</table>".
    // Closing the window otherwise inserts nothing.
    static void run(QWidget *parent, EditArea *edit);

    void Command1_Click();

private:
    EditArea *m_edit;
    std::vector<AttrRow> m_rows;
};

class tdfrm : public QDialog {
    Q_OBJECT
public:
    tdfrm(QWidget *parent, EditArea *edit);

    // Modal; OK replaces the selection S with start tag, S, "</td>".
    static void run(QWidget *parent, EditArea *edit);

    void Command1_Click();

private:
    EditArea *m_edit;
    std::vector<AttrRow> m_rows;
};

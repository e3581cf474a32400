#pragma once
// The table dialog (wraps the selection in a table start and end tag) and the cell
// dialog (wraps it in a td start and end tag), the three table attribute rows they share
// with the second step of the table wizard, and the row builder the attribute dialogs
// use to lay out their "check box + value" rows.
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

// One "check box + value" row as a dialog lays it out: a check box, then a text box
// (no items) or a list of items, then an optional unit label.
struct AttrRowSpec {
    AttrRowSpec(QString check, QString caption, QString control, QStringList items, QString initial,
               QString attribute, Quote quote = Quote::None, QString unit = QString())
        : check(std::move(check)), caption(std::move(caption)), control(std::move(control)), items(std::move(items)),
          initial(std::move(initial)), attribute(std::move(attribute)), quote(quote), unit(std::move(unit))
    {
    }
    QString check;       // object name of the check box
    QString caption;
    QString control;     // object name of the text box or list
    QStringList items;   // empty: a text box
    QString initial;     // text box: initial text
    QString attribute;   // e.g. " colspan="
    Quote quote = Quote::None;
    QString unit;        // label after the value control, e.g. "つ"
};

using AttrRowDef = AttrRowSpec;  // the same, under the name some dialogs use

// Makes the controls of every row in a two-column grid from row firstRow on and
// returns the rows bound to them, in the order the attributes are written. Lists start
// with nothing selected.
std::vector<AttrRow> addAttrRows(QWidget *owner, QGridLayout *grid, int firstRow, const std::vector<AttrRowSpec> &defs);

// Single-selection list showing all its items without scrolling.
QListWidget *makeShortList(QWidget *owner, const QString &name, const QStringList &items);
// Width of a text box for a short number or size.
int shortBoxWidth(const QWidget *box);

template <typename W>
W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

// The button row at the bottom right of a dialog, with one button.
QPushButton *addButtonRow(QDialog *dialog, QBoxLayout *layout, const QString &name, const QString &caption);

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

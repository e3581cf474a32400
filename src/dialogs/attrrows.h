#pragma once
// "Check box + value -> attribute" rows, shared by the dialogs that compose one tag
// from optional attributes. A dialog lists its rows once, in the order their
// attributes are written; composing reads the controls and writes the text.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QAbstractButton;
class QBoxLayout;
class QDialog;
class QGridLayout;
class QPushButton;
class QWidget;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

enum class Quote { None, Double };

// The values of align= and valign= as the dialogs list them.
const QStringList &alignItems();   // "left", "center", "right"
const QStringList &valignItems();  // "top", "middle", "bottom"

// One attribute as the dialog's controls stand.
struct AttrValue {
    bool on = false;               // the row's check box is checked
    QString attribute;             // as written, e.g. " size=" or " noshade"
    std::optional<QString> value;  // nullopt: nothing to write (e.g. a list with no item selected)
    Quote quote = Quote::None;
    QString suffix;                // appended to the value inside the quotes (e.g. "%")
};

// " size=\"2\"" etc. for every row that is on and has a value, in order.
QString composeAttributes(const std::vector<AttrValue> &rows);
// One attribute: attribute + (quoted) value + suffix.
QString attributeText(const QString &attribute, const QString &value, Quote quote, const QString &suffix = QString());

// The widget side: a row reads its check box and value control when composing.
struct AttrRow {
    QAbstractButton *check = nullptr;  // nullptr: always on
    QString attribute;
    std::function<std::optional<QString>()> value;  // empty: a flag attribute without value
    Quote quote = Quote::None;
    std::function<QString()> suffix;
};

std::vector<AttrValue> readRows(const std::vector<AttrRow> &rows);
QString composeAttributes(const std::vector<AttrRow> &rows);

// Value readers for the usual controls.
std::function<std::optional<QString>()> textOf(const QLineEdit *edit);
std::function<std::optional<QString>()> spinOf(const QSpinBox *spin);
std::function<std::optional<QString>()> listItemOf(const QListWidget *list);  // nullopt when none selected
std::function<std::optional<QString>()> comboOf(const QComboBox *combo);      // nullopt when none selected

// Laying rows out.

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

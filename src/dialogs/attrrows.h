#pragma once
// "Check box + value -> attribute" rows, shared by the dialogs that compose one tag
// from optional attributes. A dialog lists its rows once, in the order their
// attributes are written; composing reads the controls and writes the text.
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

enum class Quote { None, Double };

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

#pragma once
// The style dialog: font, size, line spacing, indent, margins, background and colour
// as a list of style declarations in double quotes, left in Shared::ChosenStyle.
#include <QDialog>
#include <QFont>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

class StyleFrm : public QDialog {
    Q_OBJECT
public:
    explicit StyleFrm(QWidget *parent = nullptr);

    // Modal; returns Shared::ChosenStyle, which holds the confirmed declarations
    // afterwards (unchanged when the window was closed without confirming).
    static QString run(QWidget *parent);

    // The declarations the controls stand for, with the enclosing double quotes.
    QString declarations() const;

    void pickFont();              // font dialog
    void pickBackgroundColour();  // colour picker -> Text9
    void confirm();               // OK: the declarations into Shared::ChosenStyle
    void pickTextColour();        // colour picker -> Text10

    // The font dialog; tests replace it. Returns nothing when cancelled.
    using FontChooser = std::function<std::optional<QFont>(QWidget *parent, const QFont &initial)>;
    static FontChooser chooseFont;

private:
    QCheckBox *m_check[10] = {};      // Check1 .. Check9 (index 0 unused)
    QLineEdit *m_text[11] = {};       // Text1 .. Text10 (index 0 unused)
    QComboBox *m_list[8] = {};        // List1 .. List7 (index 0 unused)
    QRadioButton *m_option[7] = {};   // Option1 .. Option6 (index 0 unused)
};

// The style dialog as the application's shared picker (Pickers::style).
void runStylePicker(QWidget *parent);

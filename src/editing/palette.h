#pragma once
// The tag palette (tabs of buttons) and the attribute bar, built from tables: one
// line per control, each button's line carrying what it runs. The tables themselves
// live with the application (app/palettetable.cpp), which sees every dialog.
#include <QString>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <vector>

class EditArea;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class TagPalette;

// What a button does, given the palette it sits on (its editing area, its window and
// its own controls).
using PaletteAction = std::function<void(TagPalette &)>;

struct PaletteItem {
    enum Kind {
        Pair,    // wraps the selection in an entry of the pair-tag table (rule A')
        Single,  // an entry of the single-tag table in place of the selection
        Own,     // runs its action, then the editing area gets the focus
        Opener,  // runs its action, which decides about the focus
        Spin, List, Field, Label, Break
    };
    Kind kind;
    const char *name;     // objectName
    const char *caption;  // button caption (mnemonic "&" as in a menu), label text, or list items joined by "|"
    const char *tip;      // tool-tip, nullptr for none
    int index = -1;       // tag table entry for Pair/Single; range max for Spin
    PaletteAction action; // Own and Opener
};

struct PaletteTab {
    const char *caption;
    std::vector<PaletteItem> items;
};

namespace Palette {
// Table lines.
PaletteItem pair(const char *name, const char *caption, const char *tip, int index);
PaletteItem single(const char *name, const char *caption, const char *tip, int index);
PaletteItem own(const char *name, const char *caption, const char *tip, PaletteAction action);
PaletteItem opener(const char *name, const char *caption, const char *tip, PaletteAction action);
PaletteItem spin(const char *name, int maximum);
PaletteItem list(const char *name, const char *items);  // items joined by "|"
PaletteItem field(const char *name, const char *initial, const char *hint = nullptr);  // hint: tool-tip and placeholder
PaletteItem label(const char *name, const char *text);
PaletteItem brk();

// The actions of the buttons whose text comes from the palette's own controls.
void fontTag(TagPalette &p);       // Command2: <font size="n"> around the selection
void headingTag(TagPalette &p);    // Command3: <hn> … </hn>
void paragraphTag(TagPalette &p);  // Command5: <p align="…"> … </p>
void clearTag(TagPalette &p);      // Command36: <br clear="…">
void insertSkeleton(TagPalette &p);  // Command23: the whole page skeleton
void customPair(TagPalette &p, int index);  // Command25(index): Text1(index) … Text3(index)
void customSingle(TagPalette &p);  // Command26: Text4

// Start text of the font and heading buttons.
QString fontStart(int size);
QString headingStart(int level);
QString headingEnd(int level);
QString paragraphStart(const QString &alignment);  // "" or "指定なし": plain <p>
QString clearStart(const QString &side);
QString pageSkeleton();
// A text shown as a caption with every "&" literal.
QString literalCaption(const QString &text);
}

class TagPalette : public QTabWidget {
    Q_OBJECT
public:
    TagPalette(EditArea *edit, const std::vector<PaletteTab> &tabs, const std::vector<PaletteItem> &bar,
               QWidget *parent = nullptr);

    // The attribute bar lives outside the tabs but acts the same way.
    QWidget *attributeBar() const { return m_bar; }

    EditArea *edit() const { return m_edit; }
    QLineEdit *field(const QString &name) const;
    QPushButton *button(const QString &name) const;
    // The palette's own controls as they stand.
    int fontSize() const;
    int headingLevel() const;
    QString alignment() const;  // List1's selected item, "" when none
    QString clearSide() const;  // List2's selected item, "" when none

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    QSize fitToCurrentTab(QSize all, bool minimum) const;
    QWidget *buildItems(const std::vector<PaletteItem> &items);
    void onClicked(const PaletteItem &item);
    void updateCustomCaptions();

    EditArea *m_edit;
    QWidget *m_bar = nullptr;
    QSpinBox *m_fontSize = nullptr;
    QSpinBox *m_heading = nullptr;
    QListWidget *m_align = nullptr;
    QListWidget *m_clear = nullptr;
};

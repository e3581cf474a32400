#pragma once
// The tag palette (tabs of buttons) and the attribute bar, built from tables: one
// line per control. Plain tag buttons and the buttons whose text comes from the
// palette's own controls act here; buttons that open a dialog or ask something are
// announced through openerClicked(name) for the main window to run.
#include <QString>
#include <QTabWidget>
#include <QWidget>
#include <vector>

class EditArea;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

struct PaletteItem {
    enum Kind { Pair, Single, Own, Opener, Spin, List, Field, Label, Break };
    Kind kind;
    const char *name;     // objectName
    const char *caption;  // button caption (mnemonic "&" as in a menu), label text, or list items joined by "|"
    const char *tip;      // tool-tip, nullptr for none
    int index = -1;       // tag table entry for Pair/Single; range max for Spin
};

struct PaletteTab {
    const char *caption;
    std::vector<PaletteItem> items;
};

namespace Palette {
const std::vector<PaletteTab> &tabs();
const std::vector<PaletteItem> &attributeBar();
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
    TagPalette(EditArea *edit, QWidget *parent = nullptr);

    // The attribute bar lives outside the tabs but acts the same way.
    QWidget *attributeBar() const { return m_bar; }

    QLineEdit *field(const QString &name) const;
    QPushButton *button(const QString &name) const;

signals:
    void openerClicked(const QString &name);

private:
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

#pragma once
// The style block dialog: up to three rules (selector and declarations), inserted as
// one <style> block.
#include <QDialog>
#include <QString>
#include <array>
#include <vector>

class EditArea;
class QCheckBox;
class QLineEdit;

struct StyleRule {
    bool on = false;
    QString selector;
    QString declarations;
};

// "<style type="text/css">\n", "selector{declarations}\n" for each rule that is on,
// then "</style>".
QString composeStyleBlock(const std::vector<StyleRule> &rules);

// The style dialog hands back its declarations in double quotes, as an attribute
// value; inside a style block they stand bare.
QString declarationsOf(const QString &style);

class TagFrm : public QDialog {
    Q_OBJECT
public:
    static constexpr int Rows = 3;

    TagFrm(QWidget *parent, EditArea *edit);

    // The palette's "タグの定義": shows the dialog modally; afterwards the editing
    // area has the focus.
    static void run(QWidget *parent, EditArea *edit);

    void Command1_Click(int index);  // "参照": declarations from the style dialog
    void Command2_Click();           // OK: insert the block and close

private:
    EditArea *m_edit;
    std::array<QCheckBox *, Rows> m_check{};
    std::array<QLineEdit *, Rows> m_selector{};
    std::array<QLineEdit *, Rows> m_declarations{};
};

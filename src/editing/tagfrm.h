#pragma once
// The style block dialog: up to three rules (selector and declarations), inserted as
// one <style> block.
#include <QString>
#include <array>
#include <vector>

#include "platform/dialogbase.h"

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

class TagFrm : public InsertingDialog {
    Q_OBJECT
public:
    static constexpr int Rows = 3;

    explicit TagFrm(EditArea *edit, QWidget *parent = nullptr);

    // The palette's "タグの定義": shows the dialog modally; afterwards the editing
    // area has the focus.
    static void run(EditArea *edit, QWidget *parent);

    // OK: the style block in place of the selection.
    Insertion insertion() const override;
    void pickDeclarations(int index);  // "参照": declarations from the style dialog

private:
    std::array<QCheckBox *, Rows> m_check{};
    std::array<QLineEdit *, Rows> m_selector{};
    std::array<QLineEdit *, Rows> m_declarations{};
};

#pragma once
// The horizontal rule dialog: one hr tag with optional size, width, position and
// shading in place of the selection.
#include <vector>

#include "attrrows.h"
#include "platform/dialogbase.h"

class QRadioButton;

class HrFrm : public InsertingDialog {
    Q_OBJECT
public:
    explicit HrFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; OK replaces the selection with the tag.
    static void run(EditArea *edit, QWidget *parent) { runModal<HrFrm>(edit, parent); }

    // The tag as the controls stand, e.g. <hr size="2" width="100%">.
    QString tagText() const;
    Insertion insertion() const override { return Insertion::replacing(tagText()); }

private:
    QRadioButton *m_pixels = nullptr;
    std::vector<AttrRow> m_rows;
};

#pragma once
// The image dialog: one img tag with optional attributes in place of the selection.
#include <vector>

#include "attrrows.h"
#include "framefrm.h"

class imgForm : public InsertingDialog {
    Q_OBJECT
public:
    imgForm(QWidget *parent, EditArea *edit);

    // Modal; OK replaces the selection with the tag.
    static void run(QWidget *parent, EditArea *edit);

    // <img src="…"> with the checked attributes in their order.
    QString text() const override;

private:
    QLineEdit *m_src = nullptr;
    std::vector<AttrRow> m_rows;
};

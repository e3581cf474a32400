#pragma once
// The image dialog: one img tag with optional attributes in place of the selection.
#include <vector>

#include "attrrows.h"
#include "framefrm.h"

class ImgFrm : public InsertingDialog {
    Q_OBJECT
public:
    explicit ImgFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; OK replaces the selection with the tag.
    static void run(EditArea *edit, QWidget *parent) { runModal<ImgFrm>(edit, parent); }

    // <img src="…"> with the checked attributes in their order.
    QString text() const;
    Insertion insertion() const override { return Insertion::replacing(text()); }

private:
    QLineEdit *m_src = nullptr;
    std::vector<AttrRow> m_rows;
};

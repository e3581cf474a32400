#pragma once
// The inline frame dialog: an iframe start tag in place of the selection.
#include <vector>

#include "attrrows.h"
#include "framefrm.h"

// The tag with src, name and the optional align value each on a line of their own:
// "<iframe src=", src, " name=", name, then the optional rows as composed (" align=",
// line break, value, line break), then " width=… height=…>". Nothing is quoted.
QString iframeText(const QString &src, const QString &name, const QString &optional, const QString &width,
                   const QString &height);

class IframeFrm : public InsertingDialog {
    Q_OBJECT
public:
    explicit IframeFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; OK replaces the selection with the tag.
    static void run(EditArea *edit, QWidget *parent) { runModal<IframeFrm>(edit, parent); }

    QString text() const;
    Insertion insertion() const override { return Insertion::replacing(text()); }

private:
    QLineEdit *m_src = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_width = nullptr;
    QLineEdit *m_height = nullptr;
    std::vector<AttrRow> m_rows;
};

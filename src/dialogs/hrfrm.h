#pragma once
// The horizontal rule dialog: one hr tag with optional size, width, position and
// shading in place of the selection.
#include <QDialog>
#include <vector>

#include "attrrows.h"

class EditArea;
class QRadioButton;

class hrfrm : public QDialog {
    Q_OBJECT
public:
    hrfrm(QWidget *parent, EditArea *edit);

    // Modal; OK replaces the selection with the tag. Closing the window otherwise
    // inserts nothing.
    static void run(QWidget *parent, EditArea *edit);

    // The tag as the controls stand, e.g. <hr size="2" width="100%">.
    QString tagText() const;
    void Command1_Click();

private:
    EditArea *m_edit;
    QRadioButton *m_pixels = nullptr;
    std::vector<AttrRow> m_rows;
};

#pragma once
// The marquee dialog: wraps the selection in a marquee start tag with optional
// scrolling attributes and the end tag.
#include <QDialog>
#include <vector>

#include "attrrows.h"

class EditArea;

class Marqueefrm : public QDialog {
    Q_OBJECT
public:
    Marqueefrm(QWidget *parent, EditArea *edit);

    // Modal; OK replaces the selection S with start tag, S, "</marquee>". Closing the
    // window otherwise inserts nothing. The caller leaves the focus where it is.
    static void run(QWidget *parent, EditArea *edit);

    // The start tag as the controls stand, e.g. <marquee behavior="alternate" loop=3>.
    QString startTag() const;
    void cmdOK_Click();

private:
    EditArea *m_edit;
    std::vector<AttrRow> m_rows;
};

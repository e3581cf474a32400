#pragma once
// The marquee dialog: wraps the selection in a marquee start tag with optional
// scrolling attributes and the end tag.
#include <vector>

#include "attrrows.h"
#include "platform/dialogbase.h"

class MarqueeFrm : public InsertingDialog {
    Q_OBJECT
public:
    explicit MarqueeFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; OK replaces the selection S with start tag, S, "</marquee>". The caller
    // leaves the focus where it is.
    static void run(EditArea *edit, QWidget *parent) { runModal<MarqueeFrm>(edit, parent); }

    // The start tag as the controls stand, e.g. <marquee behavior="alternate" loop=3>.
    QString startTag() const;
    Insertion insertion() const override { return Insertion::wrapping(startTag(), QStringLiteral("</marquee>")); }

private:
    std::vector<AttrRow> m_rows;
};

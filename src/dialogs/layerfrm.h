#pragma once
// The layer dialog: position, size and background of a layer element wrapped around
// the selection.
#include "platform/dialogbase.h"

class QCheckBox;
class QLineEdit;

class LayerFrm : public InsertingDialog {
    Q_OBJECT
public:
    explicit LayerFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; on OK the selection S becomes start tag, "\n", S, "</layer>", "\n".
    static void run(EditArea *edit, QWidget *parent) { runModal<LayerFrm>(edit, parent); }

    QString startTag() const;
    Insertion insertion() const override;

    void pickColour();  // "参照": colour picker -> Text4

private:
    QLineEdit *m_left = nullptr, *m_top = nullptr, *m_width = nullptr, *m_height = nullptr;
    QLineEdit *m_image = nullptr, *m_colour = nullptr;
    QCheckBox *m_chkWidth = nullptr, *m_chkHeight = nullptr, *m_chkImage = nullptr, *m_chkColour = nullptr;
};

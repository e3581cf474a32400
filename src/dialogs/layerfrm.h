#pragma once
// The layer dialog: position, size and background of a layer element wrapped around
// the selection.
#include <QDialog>

class EditArea;
class QCheckBox;
class QLineEdit;

class LayerFrm : public QDialog {
    Q_OBJECT
public:
    explicit LayerFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; on OK the selection S becomes start tag, "\n", S, "</layer>", "\n".
    static void run(QWidget *parent, EditArea *edit);

    QString startTag() const;

    void Command1_Click();  // colour picker -> Text4
    void Command2_Click();  // OK

private:
    EditArea *m_edit;
    QLineEdit *m_left = nullptr, *m_top = nullptr, *m_width = nullptr, *m_height = nullptr;
    QLineEdit *m_image = nullptr, *m_colour = nullptr;
    QCheckBox *m_chkWidth = nullptr, *m_chkHeight = nullptr, *m_chkImage = nullptr, *m_chkColour = nullptr;
};

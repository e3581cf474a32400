#pragma once
// The body dialog: page colours and a background image, mixed on its own bars, as a
// body start tag wrapped around the selection together with the end tag.
#include <QDialog>

class ChannelMixer;
class EditArea;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class BodyFrm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 5;

    explicit BodyFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; on OK the selection S becomes start tag, "\n", S, "\n", "</body>".
    static void run(QWidget *parent, EditArea *edit);

    // "<body" + the checked attributes + ">".
    QString startTag() const;

    ChannelMixer *mixer() const { return m_mixer; }
    void Command1_Click(int index);  // "←": the mix into bgtxt(index)
    void Command2_Click();           // "OK"
    void Command3_Click();           // "反転"

private:
    EditArea *m_edit;
    ChannelMixer *m_mixer = nullptr;
    QCheckBox *m_chk[kRows] = {};
    QLineEdit *m_bgtxt[kRows] = {};
    QPushButton *m_pick[kRows] = {};
    QCheckBox *m_check1 = nullptr;
    QCheckBox *m_check2 = nullptr;
    QLineEdit *m_text1 = nullptr;
};

#pragma once
// The body dialog: page colours and a background image, mixed on its own bars, as a
// body start tag wrapped around the selection together with the end tag.
#include "platform/dialogbase.h"

class ChannelMixer;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class BodyFrm : public InsertingDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 5;

    explicit BodyFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; on OK the selection S becomes start tag, "\n", S, "\n", "</body>".
    static void run(EditArea *edit, QWidget *parent) { runModal<BodyFrm>(edit, parent); }

    // "<body" + the checked attributes + ">".
    QString startTag() const;
    Insertion insertion() const override;

    ChannelMixer *mixer() const { return m_mixer; }
    void takeMix(int index);  // "←": the mix into bgtxt(index)
    void invertMix();         // "反転"

private:
    ChannelMixer *m_mixer = nullptr;
    QCheckBox *m_chk[kRows] = {};
    QLineEdit *m_bgtxt[kRows] = {};
    QPushButton *m_pick[kRows] = {};
    QCheckBox *m_check1 = nullptr;
    QCheckBox *m_check2 = nullptr;
    QLineEdit *m_text1 = nullptr;
};

#pragma once
// Gradient text: the user mixes a start and an end colour, types the text into a
// sample box, previews the gradient on it and inserts one font element per character.
#include <QDialog>

#include "gradient.h"

class ChannelMixer;
class EditArea;
class QTextEdit;

class GradFrm : public QDialog {
    Q_OBJECT
public:
    explicit GradFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; on OK the selection is replaced by the generated HTML.
    static void run(QWidget *parent, EditArea *edit);

    ChannelMixer *mixer(int index) const { return m_mixers[index]; }
    QTextEdit *sample() const { return m_text1; }
    Rgb colour(int index) const;
    // The sample's text with each line break as "\n".
    QString sampleText() const;

    void Command1_Click();          // "プレビュー"
    void Command2_Click();          // "OK"
    void Command3_Click(int index); // "反転"
    void PreviewGradient();

private:
    void Text1_Change();

    EditArea *m_edit;
    ChannelMixer *m_mixers[2] = {};
    QTextEdit *m_text1 = nullptr;
    QString m_lastText;
    bool m_resizing = false;
};

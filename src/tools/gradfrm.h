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
    static void run(EditArea *edit, QWidget *parent);

    ChannelMixer *mixer(int index) const { return m_mixers[index]; }
    QTextEdit *sample() const { return m_text1; }
    Rgb colour(int index) const;
    // The sample's text with each line break as "\n".
    QString sampleText() const;

    void insertAndClose();          // "OK"
    void invertMix(int index); // "反転"
    void previewGradient();         // "プレビュー"

private:
    void sampleChanged();

    EditArea *m_edit;
    ChannelMixer *m_mixers[2] = {};
    QTextEdit *m_text1 = nullptr;
    QString m_lastText;
    bool m_resizing = false;
};

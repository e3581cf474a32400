#pragma once
// The colour picker: the user mixes red, green and blue on three bars; the button
// below shows the colour text of the mix and confirms it into Shared::ChosenColor.
#include <QDialog>

class ChannelMixer;
class QPushButton;

class ColorFrm : public QDialog {
    Q_OBJECT
public:
    explicit ColorFrm(QWidget *parent = nullptr);

    // Modal; returns Shared::ChosenColor, which holds the confirmed colour afterwards
    // (unchanged when the window was closed without confirming).
    static QString run(QWidget *parent);

    ChannelMixer *mixer() const { return m_mixer; }
    void confirm();

private:
    void updateCaption();

    ChannelMixer *m_mixer = nullptr;
    QPushButton *m_confirm = nullptr;
};

// The colour picker as the application's shared picker (Pickers::colour).
void runColourPicker(QWidget *parent);

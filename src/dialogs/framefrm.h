#pragma once
// The frameset dialog: a frameset with two or three frames in place of the selection.
#include <QString>
#include <array>
#include <vector>

#include "platform/dialogbase.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

// One frame as its panel stands.
struct FramePanel {
    enum Unit { Percent, Pixels, Rest };
    QString size;
    Unit unit = Percent;
    QString source;
};

// "50%", "200" or "*".
QString frameSizeText(const FramePanel &panel);
// The frameset: start tag with rows= (divided top to bottom) or cols=, one frame line
// per panel indented by three spaces, and "</frameset>" without a line break after it.
QString framesetText(bool rows, const std::vector<FramePanel> &panels);

class FrameFrm : public InsertingDialog {
    Q_OBJECT
public:
    explicit FrameFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; OK replaces the selection with the frameset.
    static void run(EditArea *edit, QWidget *parent) { runModal<FrameFrm>(edit, parent); }

    QString text() const;
    Insertion insertion() const override { return Insertion::replacing(text()); }

    void enableThirdFrame();             // "フレーム3" check box
    void takeTheRest(int index);         // "残り全部" of one frame: no other frame keeps it

private:
    QRadioButton *m_option1 = nullptr;
    QCheckBox *m_check1 = nullptr;
    std::array<QGroupBox *, 3> m_panel{};
    std::array<QLineEdit *, 3> m_size{};
    std::array<QRadioButton *, 3> m_percent{};
    std::array<QRadioButton *, 3> m_pixels{};
    std::array<QRadioButton *, 3> m_rest{};
    std::array<QLineEdit *, 3> m_source{};
};

#pragma once
// The frameset dialog: a frameset with two or three frames in place of the selection;
// and what it shares with the image and inline-frame dialogs: OK puts the composed
// text in place of the selection, and "参照" buttons fill a box from the path picker.
#include <QDialog>
#include <QString>
#include <array>
#include <vector>

class EditArea;
class QCheckBox;
class QGroupBox;
class QLayout;
class QLineEdit;
class QPushButton;
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

// Runs the path picker and puts the path it hands back into the box. Cancelling the
// picker (an empty path) leaves the box as it was.
void browseForPath(QWidget *parent, QLineEdit *box);

// A dialog whose OK button (Command1) replaces the selection with the text it composes
// and closes it; closing it otherwise inserts nothing.
class InsertingDialog : public QDialog {
    Q_OBJECT
public:
    InsertingDialog(QWidget *parent, EditArea *edit, const QString &name, const QString &caption);

    // The text OK inserts, as the controls stand.
    virtual QString text() const = 0;
    void Command1_Click();

protected:
    // Lays the body out above the OK button, at its natural size.
    void finish(QLayout *body);
    // A "参照" button that fills the box from the path picker.
    QPushButton *browseButton(const QString &name, QLineEdit *box);

    EditArea *m_edit;
};

class framefrm : public InsertingDialog {
    Q_OBJECT
public:
    framefrm(QWidget *parent, EditArea *edit);

    // Modal; OK replaces the selection with the frameset.
    static void run(QWidget *parent, EditArea *edit);

    QString text() const override;

    void Check1_Click();
    void Option5_Click(int index);

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

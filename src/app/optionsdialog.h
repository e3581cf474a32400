#pragma once
// The options dialog: the editor's font size and boldness, where the undo history lives, and
// the encoding and line ends of new documents.
#include <QDialog>

class EditArea;
class FileOptionsPage;
class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(EditArea *edit, QWidget *parent = nullptr);

    // Shows the dialog modally; returns the undo mode: the one chosen on OK, otherwise the
    // one it opened with.
    static int run(EditArea *edit, QWidget *parent);
    int undoMode() const { return m_mode; }

    void applyAndClose();  // OK; Cancel closes without applying

    // "フォントサイズ=" and the size with up to four decimals.
    static QString sizeLabel(double points);

private:
    EditArea *m_edit;
    QLabel *m_label;
    QSpinBox *m_size;
    QCheckBox *m_bold;
    static constexpr int Modes = 4;  // undo modes 0–3, one option button each
    QRadioButton *m_modes[Modes];
    int m_mode = 1;
    FileOptionsPage *m_files;
};

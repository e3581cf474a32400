#pragma once
// Choosing an encoding: the Save-with-encoding dialog (encoding, byte-order mark, line end) and
// the list of every encoding for reopening a file.
#include "document/textfile.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QListWidget;

namespace EncodingWidgets {
// The line ends the user chooses from, in the order shown: CR+LF, LF, CR.
extern const LineEnd kLineEnds[3];
// Every encoding in a combo box (the main ones, a separator, the others), current selected.
void fillEncodings(QComboBox *combo, const QByteArray &current);
// The three line ends in a combo box, current selected; and the one chosen.
void fillLineEnds(QComboBox *combo, LineEnd current);
LineEnd chosenLineEnd(const QComboBox *combo);
}

class EncodingDialog : public QDialog {
    Q_OBJECT
public:
    EncodingDialog(const QByteArray &encoding, bool bom, LineEnd lineEnd, QWidget *parent = nullptr);

    QByteArray encoding() const;
    bool bom() const;  // checked and allowed for the encoding
    LineEnd lineEnd() const;

    // Shows the dialog modally; false on Cancel. The values are read from and written back to the arguments.
    static bool run(QWidget *parent, QByteArray *encoding, bool *bom, LineEnd *lineEnd);

private:
    void encodingChanged();

    QComboBox *m_encoding;
    QCheckBox *m_bom;
    QComboBox *m_lineEnd;
};

class OtherEncodingDialog : public QDialog {
    Q_OBJECT
public:
    explicit OtherEncodingDialog(const QByteArray &current, QWidget *parent = nullptr);
    QByteArray encoding() const;  // "" when none is selected

    // Shows the dialog modally; "" on Cancel.
    static QByteArray run(QWidget *parent, const QByteArray &current);

private:
    QListWidget *m_list;
};

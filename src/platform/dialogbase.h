#pragma once
// What the dialogs share: the OK button row at the bottom, the "参照" buttons that fill
// a box from the path picker, and the base of the dialogs that compose a tag or fragment
// for the editing area: OK puts what the controls say into the editing area and closes
// the dialog; closing it any other way (Esc, the frame's close box) inserts nothing.
#include <QDialog>
#include <QString>

#include "platform/editarea.h"

class QBoxLayout;
class QLayout;
class QLineEdit;
class QPushButton;

// The button row at the bottom right of a dialog, with one default button.
QPushButton *addButtonRow(QDialog *dialog, QBoxLayout *layout, const QString &name, const QString &caption);
// A button beside the row's default button that closes the dialog without doing anything.
QPushButton *addCancelButton(QPushButton *defaultButton, const QString &name, const QString &caption);

// Runs the path picker and puts the path it hands back into the box. Cancelling the
// picker (an empty path) leaves the box as it was.
void browseForPath(QWidget *parent, QLineEdit *box);

class InsertingDialog : public QDialog {
    Q_OBJECT
public:
    InsertingDialog(EditArea *edit, QWidget *parent, const QString &name, const QString &caption);

    // What OK puts into the editing area, as the controls stand.
    virtual Insertion insertion() const = 0;

    // OK: inserts and closes.
    void insertAndClose();

    // Builds a dialog of the given kind and shows it modally.
    template <class Dialog>
    static void runModal(EditArea *edit, QWidget *parent)
    {
        Dialog dialog(edit, parent);
        dialog.exec();
    }

protected:
    // Lays the body out above the OK button row, at its natural size.
    void finish(QLayout *body, const QString &okName = QStringLiteral("Command1"));
    // A "参照" button that fills the box from the path picker.
    QPushButton *browseButton(const QString &name, QLineEdit *box);

    EditArea *m_edit;
};

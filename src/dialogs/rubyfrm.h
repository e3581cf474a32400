#pragma once
// The ruby dialog: a reading for the selected text, set over it as ruby. The base comes
// from the selection (and may be changed), the reading is typed; a sample shows the
// result as a browser draws it.
#include "dialogs/ruby.h"
#include "platform/dialogbase.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RubySample;

class RubyFrm : public InsertingDialog {
    Q_OBJECT
public:
    explicit RubyFrm(EditArea *edit, QWidget *parent = nullptr);

    // Modal; OK replaces the selection with the ruby.
    static void run(EditArea *edit, QWidget *parent) { runModal<RubyFrm>(edit, parent); }

    QString rubyText() const;
    Insertion insertion() const override { return Insertion::replacing(rubyText()); }

private:
    void update();
    Ruby::Form form() const;

    QLineEdit *m_base;
    QLineEdit *m_reading;
    QRadioButton *m_each;
    QCheckBox *m_rp;
    QLabel *m_hint;
    QLabel *m_markup;
    RubySample *m_sample;
    QPushButton *m_ok = nullptr;
};

#include "dialogbase.h"

#include "platform/pickers.h"
#include "platform/shared.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

QPushButton *addButtonRow(QDialog *dialog, QBoxLayout *layout, const QString &name, const QString &caption)
{
    auto *box = new QDialogButtonBox(dialog);
    QPushButton *button = box->addButton(caption, QDialogButtonBox::AcceptRole);
    button->setObjectName(name);
    button->setDefault(true);
    layout->addWidget(box);
    return button;
}

QPushButton *addCancelButton(QPushButton *defaultButton, const QString &name, const QString &caption)
{
    auto *box = qobject_cast<QDialogButtonBox *>(defaultButton->parentWidget());
    QPushButton *button = box->addButton(caption, QDialogButtonBox::RejectRole);
    button->setObjectName(name);
    button->setAutoDefault(false);
    if (auto *dialog = qobject_cast<QDialog *>(box->window()))
        QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::reject);
    return button;
}

void browseForPath(QWidget *parent, QLineEdit *box)
{
    Shared::PickedPath.clear();  // a picker that does not answer leaves the box alone
    const QString path = Pickers::pickPath(parent);
    if (!path.isEmpty())
        box->setText(path);
}

InsertingDialog::InsertingDialog(EditArea *edit, QWidget *parent, const QString &name, const QString &caption)
    : QDialog(parent), m_edit(edit)
{
    setObjectName(name);
    setWindowTitle(caption);
}

void InsertingDialog::finish(QLayout *body, const QString &okName)
{
    auto *top = new QVBoxLayout(this);
    top->addLayout(body);
    top->setSizeConstraint(QLayout::SetFixedSize);
    QPushButton *ok = addButtonRow(this, top, okName, QStringLiteral("OK"));
    connect(ok, &QPushButton::clicked, this, &InsertingDialog::insertAndClose);
}

QPushButton *InsertingDialog::browseButton(const QString &name, QLineEdit *box)
{
    auto *button = new QPushButton(QStringLiteral("参照"), box->parentWidget());
    button->setObjectName(name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, box] { browseForPath(this, box); });
    return button;
}

void InsertingDialog::insertAndClose()
{
    if (m_edit)
        m_edit->apply(insertion());
    accept();
}

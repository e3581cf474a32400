#include "encodingdialog.h"

#include "document/encodingchoice.h"
#include "platform/dialogbase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The OK / Cancel row every encoding dialog ends with.
void addOkCancel(QDialog *dlg, QBoxLayout *layout)
{
    QPushButton *ok = addButtonRow(dlg, layout, QStringLiteral("Command1"), QStringLiteral("OK"));
    addCancelButton(ok, QStringLiteral("Command2"), QStringLiteral("キャンセル"));
    QObject::connect(ok, &QPushButton::clicked, dlg, &QDialog::accept);
}

}  // namespace

namespace EncodingWidgets {

const LineEnd kLineEnds[3] = {LineEnd::CRLF, LineEnd::LF, LineEnd::CR};

void fillEncodings(QComboBox *combo, const QByteArray &current)
{
    combo->setMaxVisibleItems(20);
    const QList<QByteArray> &all = EncodingChoice::allEncodings();
    const qsizetype main = EncodingChoice::mainEncodings().size();
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (i == main)
            combo->insertSeparator(combo->count());
        combo->addItem(QString::fromLatin1(all[i]), all[i]);
    }
    const int at = combo->findData(current);
    if (at >= 0) {
        combo->setCurrentIndex(at);
    } else {  // a name the list does not know: offered as it is
        combo->insertItem(0, QString::fromLatin1(current), current);
        combo->setCurrentIndex(0);
    }
}

void fillLineEnds(QComboBox *combo, LineEnd current)
{
    for (int i = 0; i < 3; ++i) {
        combo->addItem(lineEndCaption(kLineEnds[i]));
        if (kLineEnds[i] == current)
            combo->setCurrentIndex(i);
    }
}

LineEnd chosenLineEnd(const QComboBox *combo)
{
    return kLineEnds[std::clamp(combo->currentIndex(), 0, 2)];
}

}  // namespace EncodingWidgets

EncodingDialog::EncodingDialog(const QByteArray &encoding, bool bom, LineEnd lineEnd, QWidget *parent)
    : QDialog(parent)
{
    setObjectName("frmEncoding");
    setWindowTitle(QStringLiteral("エンコーディングを指定して保存"));

    m_encoding = new QComboBox;
    m_encoding->setObjectName("cboEncoding");
    EncodingWidgets::fillEncodings(m_encoding, encoding);

    m_bom = new QCheckBox(QStringLiteral("BOM を付ける"));
    m_bom->setObjectName("chkBom");
    m_bom->setChecked(bom);

    m_lineEnd = new QComboBox;
    m_lineEnd->setObjectName("cboLineEnd");
    EncodingWidgets::fillLineEnds(m_lineEnd, lineEnd);

    auto *form = new QFormLayout;
    auto *encodingLabel = new QLabel(QStringLiteral("エンコーディング(&E):"));
    encodingLabel->setBuddy(m_encoding);
    auto *lineEndLabel = new QLabel(QStringLiteral("改行コード(&L):"));
    lineEndLabel->setBuddy(m_lineEnd);
    form->addRow(encodingLabel, m_encoding);
    form->addRow(QString(), m_bom);
    form->addRow(lineEndLabel, m_lineEnd);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
    addOkCancel(this, layout);

    connect(m_encoding, &QComboBox::currentIndexChanged, this, &EncodingDialog::encodingChanged);
    encodingChanged();
    resize(400, sizeHint().height());
}

void EncodingDialog::encodingChanged()
{
    m_bom->setEnabled(EncodingChoice::allowsBom(encoding()));
}

QByteArray EncodingDialog::encoding() const
{
    return m_encoding->currentData().toByteArray();
}

bool EncodingDialog::bom() const
{
    return m_bom->isChecked() && m_bom->isEnabled();
}

LineEnd EncodingDialog::lineEnd() const
{
    return EncodingWidgets::chosenLineEnd(m_lineEnd);
}

bool EncodingDialog::run(QWidget *parent, QByteArray *encoding, bool *bom, LineEnd *lineEnd)
{
    EncodingDialog dlg(*encoding, *bom, *lineEnd, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    *encoding = dlg.encoding();
    *bom = dlg.bom();
    *lineEnd = dlg.lineEnd();
    return true;
}

OtherEncodingDialog::OtherEncodingDialog(const QByteArray &current, QWidget *parent) : QDialog(parent)
{
    setObjectName("frmOtherEncoding");
    setWindowTitle(QStringLiteral("エンコーディングを指定して開き直す"));
    auto *label = new QLabel(QStringLiteral("開き直すエンコーディング(&E):"));
    m_list = new QListWidget;
    m_list->setObjectName("lstEncoding");
    label->setBuddy(m_list);
    for (const QByteArray &e : EncodingChoice::allEncodings()) {
        auto *item = new QListWidgetItem(QString::fromLatin1(e), m_list);
        item->setData(Qt::UserRole, e);
        if (e == current)
            m_list->setCurrentItem(item);
    }
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list, 1);
    addOkCancel(this, layout);
    resize(360, 480);
}

QByteArray OtherEncodingDialog::encoding() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item && item->isSelected() ? item->data(Qt::UserRole).toByteArray() : QByteArray();
}

QByteArray OtherEncodingDialog::run(QWidget *parent, const QByteArray &current)
{
    OtherEncodingDialog dlg(current, parent);
    return dlg.exec() == QDialog::Accepted ? dlg.encoding() : QByteArray();
}

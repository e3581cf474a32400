#include "optionsdialog.h"

#include "filesettings.h"

#include "platform/editarea.h"
#include "platform/dialogbase.h"
#include "platform/shared.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

OptionsDialog::OptionsDialog(EditArea *edit, QWidget *parent) : QDialog(parent), m_edit(edit)
{
    setObjectName("frmOption");
    setWindowTitle(QStringLiteral("OPTION"));

    auto *tabs = new QTabWidget;
    tabs->setObjectName("SSTab1");

    auto *editPage = new QWidget;
    auto *editLayout = new QGridLayout(editPage);
    m_label = new QLabel;
    m_label->setObjectName("Label1");
    m_size = new QSpinBox;
    m_size->setObjectName("UpDown1");
    m_size->setRange(8, 72);
    m_size->setSingleStep(1);
    m_bold = new QCheckBox(QStringLiteral("太字"));
    m_bold->setObjectName("Check1");
    editLayout->addWidget(m_label, 0, 0);
    editLayout->addWidget(m_size, 0, 1);
    editLayout->addWidget(m_bold, 1, 0, 1, 2);
    editLayout->setRowStretch(2, 1);
    tabs->addTab(editPage, QStringLiteral("編集"));

    auto *undoPage = new QWidget;
    auto *undoLayout = new QVBoxLayout(undoPage);
    const QString captions[Modes] = {QStringLiteral("元に戻す機能を使わない"),
                                     QStringLiteral("ファイルを使って元に戻す機能を使用"),
                                     QStringLiteral("メモリを使って元に戻す機能を使用"),
                                     QStringLiteral("何度でも元に戻す（メモリ）")};
    for (int i = 0; i < Modes; ++i) {
        m_modes[i] = new QRadioButton(captions[i]);
        m_modes[i]->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        undoLayout->addWidget(m_modes[i]);
    }
    undoLayout->addStretch(1);
    tabs->addTab(undoPage, QStringLiteral("UNDO"));
    m_files = new FileOptionsPage;
    tabs->addTab(m_files, QStringLiteral("ファイル"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    QPushButton *ok = addButtonRow(this, layout, QStringLiteral("Command1"), QStringLiteral("OK"));
    addCancelButton(ok, QStringLiteral("Command2"), QStringLiteral("キャンセル"));
    connect(ok, &QPushButton::clicked, this, &OptionsDialog::applyAndClose);

    // Opening reads the current values.
    const QFont f = m_edit->font();
    m_bold->setChecked(f.bold());
    m_label->setText(sizeLabel(f.pointSizeF()));
    m_size->setValue(int(f.pointSizeF()));
    connect(m_size, &QSpinBox::valueChanged, this,
            [this](int v) { m_label->setText(QStringLiteral("フォントサイズ=") + QString::number(v)); });
    const int mode = m_mode = Shared::UndoMode;
    if (mode >= 0 && mode < Modes)
        m_modes[mode]->setChecked(true);
    resize(420, 240);
}

QString OptionsDialog::sizeLabel(double points)
{
    QString n = QString::number(points, 'f', 4);
    while (n.contains(QLatin1Char('.')) && (n.endsWith(QLatin1Char('0')) || n.endsWith(QLatin1Char('.'))))
        n.chop(1);
    return QStringLiteral("フォントサイズ=") + n;
}

int OptionsDialog::run(EditArea *edit, QWidget *parent)
{
    OptionsDialog dlg(edit, parent);
    dlg.exec();
    return dlg.undoMode();
}

void OptionsDialog::applyAndClose()
{
    QFont f = m_edit->font();
    f.setPointSize(m_size->value());
    f.setBold(m_bold->isChecked());
    m_edit->setFont(f);
    for (int i = 0; i < Modes; ++i)
        if (m_modes[i]->isChecked())
            m_mode = i;
    Shared::UndoMode = m_mode;
    m_files->apply();
    accept();
}

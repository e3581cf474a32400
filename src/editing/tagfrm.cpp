#include "tagfrm.h"

#include "platform/editarea.h"
#include "platform/pickers.h"
#include "platform/shared.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

QString composeStyleBlock(const std::vector<StyleRule> &rules)
{
    QString out = QStringLiteral("<style type=\"text/css\">\n");
    for (const StyleRule &r : rules) {
        if (r.on)
            out += r.selector + QLatin1Char('{') + r.declarations + QStringLiteral("}\n");
    }
    out += QStringLiteral("</style>");
    return out;
}

QString declarationsOf(const QString &style)
{
    if (style.size() >= 2 && style.startsWith(QLatin1Char('"')) && style.endsWith(QLatin1Char('"')))
        return style.mid(1, style.size() - 2);
    return style;
}

TagFrm::TagFrm(QWidget *parent, EditArea *edit) : QDialog(parent), m_edit(edit)
{
    setObjectName("TagFrm");
    setWindowTitle(QStringLiteral("<Style>"));

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("タグ"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("定義"), this), 0, 2);
    for (int i = 0; i < Rows; ++i) {
        const QString idx = QStringLiteral("(%1)").arg(i);
        m_check[i] = new QCheckBox(this);
        m_check[i]->setObjectName(QStringLiteral("Check1") + idx);
        m_selector[i] = new QLineEdit(this);
        m_selector[i]->setObjectName(QStringLiteral("Text1") + idx);
        m_selector[i]->setMinimumWidth(100);
        m_declarations[i] = new QLineEdit(this);
        m_declarations[i]->setObjectName(QStringLiteral("Text2") + idx);
        m_declarations[i]->setMinimumWidth(280);
        auto *browse = new QPushButton(QStringLiteral("参照"), this);
        browse->setObjectName(QStringLiteral("Command1") + idx);
        browse->setAutoDefault(false);
        connect(browse, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        grid->addWidget(m_check[i], i + 1, 0);
        grid->addWidget(m_selector[i], i + 1, 1);
        grid->addWidget(m_declarations[i], i + 1, 2);
        grid->addWidget(browse, i + 1, 3);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 3);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName("Command2");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TagFrm::Command2_Click);

    auto *bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(ok);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(bottom);
}

void TagFrm::run(QWidget *parent, EditArea *edit)
{
    TagFrm dlg(parent, edit);
    dlg.exec();
    if (edit)
        edit->setFocus();
}

void TagFrm::Command1_Click(int index)
{
    if (index < 0 || index >= Rows)
        return;
    Pickers::run(Pickers::style, this);
    m_declarations[index]->setText(declarationsOf(Shared::ChosenStyle));
}

void TagFrm::Command2_Click()
{
    std::vector<StyleRule> rules;
    for (int i = 0; i < Rows; ++i)
        rules.push_back({m_check[i]->isChecked(), m_selector[i]->text(), m_declarations[i]->text()});
    if (m_edit)
        m_edit->insert(composeStyleBlock(rules));
    accept();
}

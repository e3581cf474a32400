#include "tagfrm.h"

#include "platform/editarea.h"
#include "platform/pickers.h"

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

TagFrm::TagFrm(EditArea *edit, QWidget *parent)
    : InsertingDialog(edit, parent, QStringLiteral("TagFrm"), QStringLiteral("<Style>"))
{

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
        connect(browse, &QPushButton::clicked, this, [this, i] { pickDeclarations(i); });
        grid->addWidget(m_check[i], i + 1, 0);
        grid->addWidget(m_selector[i], i + 1, 1);
        grid->addWidget(m_declarations[i], i + 1, 2);
        grid->addWidget(browse, i + 1, 3);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 3);

    finish(grid, QStringLiteral("Command2"));
    layout()->setSizeConstraint(QLayout::SetDefaultConstraint);  // the boxes may grow
}

void TagFrm::run(EditArea *edit, QWidget *parent)
{
    runModal<TagFrm>(edit, parent);
    if (edit)
        edit->setFocus();
}

void TagFrm::pickDeclarations(int index)
{
    if (index < 0 || index >= Rows)
        return;
    // Closed without confirming: the row keeps what the user had written.
    if (Pickers::runConfirmed(Pickers::style, this, Shared::ChosenStyle))
        m_declarations[index]->setText(declarationsOf(Shared::ChosenStyle));
}

Insertion TagFrm::insertion() const
{
    std::vector<StyleRule> rules;
    for (int i = 0; i < Rows; ++i)
        rules.push_back({m_check[i]->isChecked(), m_selector[i]->text(), m_declarations[i]->text()});
    return Insertion::replacing(composeStyleBlock(rules));
}

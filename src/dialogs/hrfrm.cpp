#include "hrfrm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

HrFrm::HrFrm(EditArea *edit, QWidget *parent)
    : InsertingDialog(edit, parent, QStringLiteral("hrfrm"), QStringLiteral("<HR>"))
{

    auto *check1 = named(new QCheckBox(QStringLiteral("size（ピクセル値）="), this), "Check1");
    auto *text1 = named(new QLineEdit(QStringLiteral("2"), this), "Text1");
    auto *check2 = named(new QCheckBox(QStringLiteral("width="), this), "Check2");
    auto *text2 = named(new QLineEdit(QStringLiteral("100"), this), "Text2");
    m_pixels = named(new QRadioButton(QStringLiteral("ピクセル値"), this), "Option1");
    auto *percent = named(new QRadioButton(QStringLiteral("割合"), this), "Option2");
    percent->setChecked(true);
    auto *check4 = named(new QCheckBox(QStringLiteral("場所を指定"), this), "Check4");
    QListWidget *list1 = makeShortList(this, "List1", alignItems());
    auto *check3 = named(new QCheckBox(QStringLiteral("影なし（塗りつぶし）"), this), "Check3");

    text1->setFixedWidth(shortBoxWidth(text1));
    text2->setFixedWidth(shortBoxWidth(text2));

    auto *grid = new QGridLayout;
    grid->addWidget(check1, 0, 0);
    grid->addWidget(text1, 0, 1, Qt::AlignLeft);
    grid->addWidget(check2, 1, 0);
    auto *widthRow = new QHBoxLayout;
    widthRow->addWidget(text2);
    widthRow->addWidget(m_pixels);
    widthRow->addWidget(percent);
    widthRow->addStretch();
    grid->addLayout(widthRow, 1, 1);
    grid->addWidget(check4, 2, 0, Qt::AlignTop);
    grid->addWidget(list1, 2, 1, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(check3, 3, 0, 1, 2);

    // In the order the attributes are written.
    m_rows = {
        {check1, " size=", textOf(text1), Quote::Double, {}},
        {check2, " width=", textOf(text2), Quote::Double, [this] { return m_pixels->isChecked() ? QString() : QStringLiteral("%"); }},
        {check4, " align=", listItemOf(list1), Quote::None, {}},
        {check3, " noshade", {}, Quote::None, {}},
    };

    finish(grid);
}

QString HrFrm::tagText() const
{
    return QStringLiteral("<hr") + composeAttributes(m_rows) + QLatin1Char('>');
}

#include "layerfrm.h"

#include "attrrows.h"
#include "colorfrm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

LayerFrm::LayerFrm(EditArea *edit, QWidget *parent)
    : InsertingDialog(edit, parent, QStringLiteral("frmLay"), QStringLiteral("<layer>"))
{
    auto lineEdit = [this](const char *name, int chars) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 12);
        return e;
    };
    auto checkBox = [this](const char *name, const QString &caption) {
        auto *c = new QCheckBox(caption, this);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    auto label = [this](const QString &caption, QWidget *buddy) {
        auto *l = new QLabel(caption, this);
        l->setBuddy(buddy);
        return l;
    };

    m_left = lineEdit("Text1", 6);
    m_top = lineEdit("Text2", 6);
    m_chkWidth = checkBox("chkWidth", QStringLiteral("幅"));
    m_width = lineEdit("txtWidth", 6);
    m_chkHeight = checkBox("chkHeight", QStringLiteral("高さ"));
    m_height = lineEdit("txtHeight", 6);
    m_chkImage = checkBox("Check1", QStringLiteral("背景の画像パス"));
    m_image = lineEdit("Text3", 24);
    m_image->setEnabled(false);
    m_chkColour = checkBox("Check2", QStringLiteral("背景色"));
    m_colour = lineEdit("Text4", 10);
    auto *pick = new QPushButton(QStringLiteral("参照"), this);
    pick->setObjectName("Command1");
    pick->setAutoDefault(false);

    // The path box is usable only while its attribute is wanted, as in the body dialog.
    connect(m_chkImage, &QCheckBox::toggled, m_image, &QLineEdit::setEnabled);

    auto *grid = new QGridLayout;
    grid->addWidget(label(QStringLiteral("左端からの距離"), m_left), 0, 0);
    grid->addWidget(m_left, 0, 1);
    grid->addWidget(label(QStringLiteral("上端からの距離"), m_top), 1, 0);
    grid->addWidget(m_top, 1, 1);
    auto *note = new QLabel(QStringLiteral("上位レイヤーがある場合にはそこからの距離になります。"), this);
    note->setObjectName("Label3");
    grid->addWidget(note, 2, 0, 1, 3);
    grid->addWidget(m_chkWidth, 3, 0);
    grid->addWidget(m_width, 3, 1);
    grid->addWidget(m_chkHeight, 4, 0);
    grid->addWidget(m_height, 4, 1);
    grid->addWidget(m_chkImage, 5, 0);
    grid->addWidget(m_image, 5, 1, 1, 2);
    grid->addWidget(m_chkColour, 6, 0);
    grid->addWidget(m_colour, 6, 1);
    grid->addWidget(pick, 6, 2, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);

    auto *browsers = new QLabel(QStringLiteral("レイヤー機能に対応しているブラウザは、今のところNetscapeNavigatorのみです。"), this);
    browsers->setObjectName("Label4");

    auto *body = new QVBoxLayout;
    body->addLayout(grid);
    body->addSpacing(8);
    body->addWidget(browsers);
    finish(body, QStringLiteral("Command2"));

    connect(pick, &QPushButton::clicked, this, &LayerFrm::pickColour);
}

QString LayerFrm::startTag() const
{
    const std::vector<AttrRow> rows = {
        {nullptr, " left=", textOf(m_left), Quote::None, {}},
        {nullptr, " top=", textOf(m_top), Quote::None, {}},
        {m_chkWidth, " width=", textOf(m_width), Quote::None, {}},
        {m_chkHeight, " height=", textOf(m_height), Quote::None, {}},
        {m_chkImage, " background=", textOf(m_image), Quote::Double, {}},
        {m_chkColour, " bgcolor=", textOf(m_colour), Quote::None, {}},
    };
    return QStringLiteral("<layer") + composeAttributes(rows) + QLatin1Char('>');
}

void LayerFrm::pickColour()
{
    m_colour->setText(ColorFrm::run(this));
}

Insertion LayerFrm::insertion() const
{
    return Insertion::wrapping(startTag() + QLatin1Char('\n'), QStringLiteral("</layer>\n"));
}

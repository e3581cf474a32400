#include "marqueefrm.h"

#include <QGridLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/editarea.h"
#include "tablecells.h"
#include "attrrows.h"

Marqueefrm::Marqueefrm(QWidget *parent, EditArea *edit) : QDialog(parent), m_edit(edit)
{
    setObjectName("Marqueefrm");
    setWindowTitle(QStringLiteral("marquee"));
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);

    const QStringList behaviors{QStringLiteral("scroll"), QStringLiteral("slide"), QStringLiteral("alternate")};
    const QStringList directions{QStringLiteral("left"), QStringLiteral("right")};
    // In the order the attributes are written.
    m_rows = addAttrRows(this, grid, 0,
                         {
                             {"chkAlign", "スクロールテキストの垂直位置", "lstAlign", alignItems(), {}, " align=", Quote::Double},
                             {"chkBehavior", "スクロール方法", "lstBehavior", behaviors, {}, " behavior=", Quote::Double},
                             {"chkDirection", "スクロール方向", "lstDirection", directions, {}, " direction=", Quote::Double},
                             {"chkHeight", "マーキーエリアの高さ", "txtHeight", {}, {}, " height="},
                             {"chkWidth", "マーキーエリアの幅", "txtWidth", {}, {}, " width="},
                             {"chkHspace", "マーキーエリアの左右余白", "txtHspace", {}, {}, " hspace="},
                             {"chkVspace", "マーキーエリアの上下余白", "txtVspace", {}, {}, " vspace="},
                             {"chkLoop", "スクロールの回数", "txtLoop", {}, {}, " loop="},
                             {"chkScrollamount", "文字列が進むピクセル数", "txtScrollamount", {}, {}, " scrollamount="},
                             {"chkScrolldelay", "スクロール再描画間隔", "txtScrolldelay", {}, {}, " scrolldelay="},
                         });
    // Form_Load: the first item of each list.
    for (QListWidget *list : findChildren<QListWidget *>())
        list->setCurrentRow(0);

    QPushButton *ok = addButtonRow(this, layout, "cmdOK", QStringLiteral("OK"));
    connect(ok, &QPushButton::clicked, this, &Marqueefrm::cmdOK_Click);
}

void Marqueefrm::run(QWidget *parent, EditArea *edit)
{
    Marqueefrm dialog(parent, edit);
    dialog.exec();
}

QString Marqueefrm::startTag() const
{
    return QStringLiteral("<marquee") + composeAttributes(m_rows) + QLatin1Char('>');
}

void Marqueefrm::cmdOK_Click()
{
    m_edit->wrap(startTag(), QStringLiteral("</marquee>"));
    accept();
}

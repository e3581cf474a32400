#include "marqueefrm.h"

#include <QGridLayout>
#include <QListWidget>

MarqueeFrm::MarqueeFrm(EditArea *edit, QWidget *parent)
    : InsertingDialog(edit, parent, QStringLiteral("Marqueefrm"), QStringLiteral("marquee"))
{
    auto *grid = new QGridLayout;

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

    finish(grid, QStringLiteral("cmdOK"));
}

QString MarqueeFrm::startTag() const
{
    return QStringLiteral("<marquee") + composeAttributes(m_rows) + QLatin1Char('>');
}

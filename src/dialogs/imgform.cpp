#include "imgform.h"

#include "attrrows.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

ImgFrm::ImgFrm(EditArea *edit, QWidget *parent)
    : InsertingDialog(edit, parent, QStringLiteral("imgForm"), QStringLiteral("<img>"))
{
    auto *srcLabel = new QLabel(QStringLiteral("表示ファイルの指定"), this);
    m_src = new QLineEdit(this);
    m_src->setObjectName("txtSrc");
    m_src->setMinimumWidth(260);
    srcLabel->setBuddy(m_src);

    auto *grid = new QGridLayout;
    grid->addWidget(srcLabel, 0, 0);
    auto *srcRow = new QHBoxLayout;
    srcRow->addWidget(m_src, 1);
    srcRow->addWidget(browseButton(QStringLiteral("Command2"), m_src));
    grid->addLayout(srcRow, 0, 1, 1, 2);
    grid->setRowMinimumHeight(1, 6);
    // In the order the attributes are written.
    m_rows = addAttrRows(
        this, grid, 2,
        {
            {"chkAlign", "文字列の並び方/回り込み", "lstAlign",
             {"left", "right", "top", "center", "bottom", "texttop", "absmiddle", "absbottom"}, {}, " align=", Quote::Double},
            {"chkAlt", "代替文字", "txtAlt", {}, {}, " alt=", Quote::Double},
            {"chkWidth", "幅", "txtWidth", {}, {}, " width="},
            {"chkHeight", "高さ", "txtHeight", {}, {}, " height="},
            {"chkBorder", "枠線の太さ", "txtBorder", {}, {}, " border="},
            {"chkHspace", "水平余白", "txtHspace", {}, {}, " hspace="},
            {"chkVspace", "垂直余白", "txtVspace", {}, {}, " vspace="},
            {"chkLowsrc", "2段階イメージパス", "txtLowsrc", {}, {}, " lowsrc="},
        });
    // Texts rather than numbers want room.
    for (const char *wide : {"txtAlt", "txtLowsrc"})
        findChild<QLineEdit *>(QLatin1String(wide))->setFixedWidth(260);
    // Form_Load: the first alignment is selected.
    findChild<QListWidget *>(QStringLiteral("lstAlign"))->setCurrentRow(0);
    finish(grid);
}

QString ImgFrm::text() const
{
    return QStringLiteral("<img src=\"") + m_src->text() + QLatin1Char('"') + composeAttributes(m_rows) +
           QLatin1Char('>');
}

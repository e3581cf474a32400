#include "iframefrm.h"

#include "attrrows.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

QString iframeText(const QString &src, const QString &name, const QString &optional, const QString &width,
                   const QString &height)
{
    return QStringLiteral("<iframe src=\n") + src + QStringLiteral("\n name=\n") + name + QLatin1Char('\n') +
           optional + QStringLiteral(" width=") + width + QStringLiteral(" height=") + height + QLatin1Char('>');
}

IframeFrm::IframeFrm(EditArea *edit, QWidget *parent)
    : InsertingDialog(edit, parent, QStringLiteral("frmIframe"), QStringLiteral("フローティングフレーム"))
{
    auto *grid = new QGridLayout;
    auto addBox = [&](int row, const QString &caption, const char *name, int width) {
        auto *label = new QLabel(caption, this);
        auto *box = new QLineEdit(this);
        box->setObjectName(QLatin1String(name));
        box->setFixedWidth(width);
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1, Qt::AlignLeft);
        return box;
    };
    const int numberWidth = fontMetrics().horizontalAdvance(QLatin1Char('0')) * 8 + 12;
    m_src = addBox(0, QStringLiteral("HTMLファイルのパス"), "txtSrc", 260);
    grid->addWidget(browseButton(QStringLiteral("Command2"), m_src), 0, 2);
    m_name = addBox(1, QStringLiteral("フレーム名"), "txtName", 160);
    m_width = addBox(2, QStringLiteral("幅"), "txtWidth", numberWidth);
    m_height = addBox(3, QStringLiteral("高さ"), "txtHeight", numberWidth);

    grid->setRowMinimumHeight(4, 6);
    m_rows = addAttrRows(this, grid, 5,
                         {{"chkAlign", "文字列の並び方/回り込み", "lstAlign", {"left", "right", "top", "center", "bottom"},
                           {}, " align=\n"}});
    // The value stands on a line of its own.
    m_rows[0].suffix = [] { return QStringLiteral("\n"); };
    // Form_Load: the first alignment is selected.
    findChild<QListWidget *>(QStringLiteral("lstAlign"))->setCurrentRow(0);
    finish(grid);
}

QString IframeFrm::text() const
{
    return iframeText(m_src->text(), m_name->text(), composeAttributes(m_rows), m_width->text(), m_height->text());
}

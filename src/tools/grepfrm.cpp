#include "grepfrm.h"

#include "editing/searchui.h"
#include "platform/prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Rows beyond this are counted but not listed: the list stays quick to scroll.
constexpr int MaxRows = 50000;

enum Role { PathRole = Qt::UserRole, PositionRole, LengthRole, ShownColumnRole, ShownLengthRole };

// The line's text with the match on a coloured background.
class LineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString text = o.text;
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, p, o.widget);
        const int col = index.data(ShownColumnRole).toInt();
        const int len = index.data(ShownLengthRole).toInt();
        const QRect r = o.rect.adjusted(4, 0, -2, 0);
        const QFontMetrics fm(o.font);
        const QString before = text.left(col), match = text.mid(col, len), after = text.mid(col + len);
        p->save();
        p->setClipRect(r);
        int x = r.left();
        const int base = r.top() + (r.height() + fm.ascent() - fm.descent()) / 2;
        const bool selected = o.state & QStyle::State_Selected;
        const QColor ink = o.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        p->setPen(ink);
        p->drawText(x, base, before);
        x += fm.horizontalAdvance(before);
        const int w = fm.horizontalAdvance(match);
        p->fillRect(QRect(x, r.top() + 1, w, r.height() - 2), QColor(255, 210, 80));
        QFont bold = o.font;
        bold.setBold(true);
        p->setFont(bold);
        p->setPen(Qt::black);
        p->drawText(x, base, match);
        x += QFontMetrics(bold).horizontalAdvance(match);
        p->setFont(o.font);
        p->setPen(ink);
        p->drawText(x, base, after);
        p->restore();
    }
};

QString folderOrHome(const QString &folder)
{
    return folder.isEmpty() || !QFileInfo(folder).isDir() ? QDir::homePath() : folder;
}

}  // namespace

GrepFrm::GrepFrm(QWidget *parent, const QString &folder) : QDialog(parent)
{
    setObjectName("frmGrep");
    setWindowTitle(QStringLiteral("フォルダ内を検索"));
    m_find = SearchSettings::historyCombo(this, QStringLiteral("Find"), QStringLiteral("Text1"));
    m_options = new SearchOptionsBox(this);
    m_options->setOptions(SearchSettings::options());
    m_folder = new QLineEdit(QDir::toNativeSeparators(folderOrHome(folder)), this);
    m_folder->setObjectName("txtFolder");
    auto *browse = new QPushButton(QStringLiteral("参照(&B)…"), this);
    browse->setObjectName("cmdBrowse");
    connect(browse, &QPushButton::clicked, this, &GrepFrm::browse);
    m_filter = new QLineEdit(GrepQuery().filter, this);
    m_filter->setObjectName("txtFilter");
    m_subfolders = new QCheckBox(QStringLiteral("サブフォルダも検索する(&S)"), this);
    m_subfolders->setObjectName("chkSubfolders");
    m_subfolders->setChecked(true);

    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("検索文字列(&F)"), m_find);
    form->addRow(QString(), m_options);
    form->addRow(QStringLiteral("フォルダ(&D)"), folderRow);
    form->addRow(QStringLiteral("ファイル名(&N)"), m_filter);
    form->addRow(QString(), m_subfolders);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *go = buttons->addButton(QStringLiteral("検索(&G)"), QDialogButtonBox::AcceptRole);
    go->setObjectName("cmdSearch");
    go->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole)->setObjectName("cmdCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &GrepFrm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(560, sizeHint().height());
}

GrepQuery GrepFrm::query() const
{
    GrepQuery q;
    q.pattern = m_find->currentText();
    q.options = m_options->options();
    q.folder = QDir::fromNativeSeparators(m_folder->text().trimmed());
    q.filter = m_filter->text();
    q.subfolders = m_subfolders->isChecked();
    return q;
}

void GrepFrm::browse()
{
    const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("フォルダの選択"), m_folder->text());
    if (!dir.isEmpty())
        m_folder->setText(QDir::toNativeSeparators(dir));
}

void GrepFrm::accept()
{
    const GrepQuery q = query();
    if (q.pattern.isEmpty()) {
        Prompts::info(this, QStringLiteral("検索文字列が入力されていません。"));
        m_find->setFocus();
        return;
    }
    const Search::Matcher check(q.pattern, q.options);
    if (!check.isValid()) {
        Prompts::error(this, check.errorText());
        m_find->lineEdit()->setFocus();
        m_find->lineEdit()->setCursorPosition(check.errorPosition());
        return;
    }
    if (!QFileInfo(q.folder).isDir()) {
        Prompts::error(this, QStringLiteral("フォルダ「%1」が見つかりません。").arg(m_folder->text()));
        m_folder->setFocus();
        return;
    }
    SearchSettings::setOptions(q.options);
    SearchSettings::rememberIn(m_find, QStringLiteral("Find"));
    QDialog::accept();
}

void GrepFrm::run(QMainWindow *window, const QString &folder, const OpenAt &openAt)
{
    GrepFrm dlg(window, folder);
    if (dlg.exec() != QDialog::Accepted)
        return;
    GrepPane *pane = GrepPane::of(window);
    pane->setOpenAt(openAt);
    pane->show();
    pane->raise();
    pane->start(dlg.query());
}

// The results panel.

GrepPane *GrepPane::of(QMainWindow *window)
{
    if (auto *p = window->findChild<GrepPane *>(QString(), Qt::FindDirectChildrenOnly))
        return p;
    auto *p = new GrepPane(window);
    window->addDockWidget(Qt::BottomDockWidgetArea, p);
    return p;
}

GrepPane::GrepPane(QWidget *parent) : QDockWidget(QStringLiteral("検索結果"), parent)
{
    setObjectName("GrepPane");
    auto *body = new QWidget(this);
    m_list = new QTreeWidget(body);
    m_list->setObjectName("lstGrep");
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({QStringLiteral("ファイル"), QStringLiteral("行"), QStringLiteral("内容")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setItemDelegateForColumn(2, new LineDelegate(m_list));
    m_list->header()->resizeSection(0, 220);
    m_list->header()->resizeSection(1, 50);
    connect(m_list, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { openRow(m_list->indexOfTopLevelItem(item)); });
    m_status = new QLabel(body);
    m_status->setObjectName("lblGrepStatus");
    m_stop = new QPushButton(QStringLiteral("中止(&T)"), body);
    m_stop->setObjectName("cmdStop");
    m_stop->setEnabled(false);
    connect(m_stop, &QPushButton::clicked, this, &GrepPane::stop);

    auto *bar = new QHBoxLayout;
    bar->addWidget(m_status, 1);
    bar->addWidget(m_stop);
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(m_list, 1);
    setWidget(body);
}

GrepPane::~GrepPane()
{
    if (m_run) {
        m_run->stop();
        m_run->wait();
    }
}

void GrepPane::start(const GrepQuery &query)
{
    if (m_run) {
        m_run->disconnect(this);
        m_run->stop();
        m_run->wait();
        delete m_run;
    }
    m_list->clear();
    m_shown = 0;
    m_folder = query.folder;
    m_status->setText(QStringLiteral("検索しています…"));
    m_stop->setEnabled(true);
    m_run = new GrepRun(query, this);
    connect(m_run, &GrepRun::found, this, &GrepPane::addHits);
    connect(m_run, &GrepRun::progress, this, &GrepPane::onProgress);
    connect(m_run, &QThread::finished, this, &GrepPane::onFinished);
    m_run->start(QThread::LowPriority);
}

void GrepPane::stop()
{
    if (m_run)
        m_run->stop();
}

bool GrepPane::isRunning() const
{
    return m_run && m_run->isRunning();
}

QString GrepPane::statusText() const
{
    return m_status->text();
}

void GrepPane::addHits(const QList<GrepHit> &hits)
{
    const QDir base(m_folder);
    QList<QTreeWidgetItem *> items;
    for (const GrepHit &h : hits) {
        if (m_shown >= MaxRows)
            break;
        ++m_shown;
        auto *item = new QTreeWidgetItem;
        item->setText(0, QDir::toNativeSeparators(base.relativeFilePath(h.path)));
        item->setToolTip(0, QDir::toNativeSeparators(h.path));
        item->setText(1, QString::number(h.line));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(2, h.lineText);
        item->setData(0, PathRole, h.path);
        item->setData(0, PositionRole, h.position);
        item->setData(0, LengthRole, h.matchLength);
        item->setData(2, ShownColumnRole, h.shownColumn);
        item->setData(2, ShownLengthRole, h.length);
        items << item;
    }
    m_list->addTopLevelItems(items);
}

void GrepPane::onProgress(int files, const QString &current)
{
    if (!current.isEmpty())
        m_status->setText(QStringLiteral("検索しています… %1 ファイル").arg(files));
}

void GrepPane::onFinished()
{
    m_stop->setEnabled(false);
    if (!m_run)
        return;
    const GrepSummary &s = m_run->summary();
    QString text = s.error.isEmpty() ? Grep::summaryText(s) : s.error;
    if (s.hits > m_shown)
        text += QStringLiteral(" 一覧には最初の %1 件を表示しています。").arg(m_shown);
    m_status->setText(text);
    emit finished();
}

void GrepPane::openRow(int row)
{
    QTreeWidgetItem *item = m_list->topLevelItem(row);
    if (!item || !m_openAt)
        return;
    m_openAt(item->data(0, PathRole).toString(), item->data(0, PositionRole).toInt(),
             item->data(0, LengthRole).toInt());
}

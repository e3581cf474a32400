#include "checkpane.h"

#include "pagecheck.h"
#include "platform/appenv.h"
#include "platform/editarea.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

using HtmlCheck::Finding;
using HtmlCheck::Findings;
using HtmlCheck::Kind;

namespace {
const QString kSection = QStringLiteral("main");
const QString kOpenKey = QStringLiteral("CheckPane");         // "1": the panel was open
const QString kAfterSaveKey = QStringLiteral("CheckAfterSave");  // "1": check after each save
}

// ---- CheckModel ----

CheckModel::CheckModel(EditArea *edit, QObject *parent) : QAbstractTableModel(parent), m_edit(edit)
{
    connect(edit, &EditArea::contentsEdited, this, &CheckModel::onContentsChange);
}

void CheckModel::setFindings(Findings findings)
{
    beginResetModel();
    m_findings = std::move(findings);
    m_positions.clear();
    m_positions.reserve(m_findings.size());
    for (const Finding &f : m_findings)
        m_positions.push_back(f.pos);
    endResetModel();
}

void CheckModel::removeFinding(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_findings.erase(m_findings.begin() + row);
    m_positions.erase(m_positions.begin() + row);
    endRemoveRows();
}

int CheckModel::follow(int pos, int changeAt, int removed, int added)
{
    if (pos < changeAt)
        return pos;
    if (pos >= changeAt + removed)
        return pos + added - removed;
    return std::min(pos, changeAt + added);
}

void CheckModel::onContentsChange(int at, int removed, int added)
{
    if (m_positions.empty() || removed == added)
        return;  // nothing to follow (a change of formatting only reports equal lengths)
    for (int &p : m_positions)
        p = follow(p, at, removed, added);
    emit dataChanged(index(0, LineColumn), index(rowCount() - 1, ColumnColumn));
}

int CheckModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_findings.size());
}

int CheckModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CheckModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Finding &f = m_findings[size_t(index.row())];
    const int pos = m_positions[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole: {
        if (index.column() == LineColumn || index.column() == ColumnColumn) {
            // Line and column as they are now, like the status bar shows them.
            if (pos < 0 || pos > m_edit->textLength())
                return {};
            return index.column() == LineColumn ? m_edit->lineOf(pos) + 1 : m_edit->columnOf(pos) + 1;
        }
        if (index.column() == KindColumn)
            return HtmlCheck::kindName(f.kind);
        return f.message;
    }
    case Qt::ToolTipRole:
        return f.detail.isEmpty() ? f.message : f.message + QStringLiteral("\n\n") + f.detail;
    case Qt::DecorationRole:
        if (index.column() != KindColumn)
            return {};
        return QApplication::style()->standardIcon(f.kind == Kind::Error     ? QStyle::SP_MessageBoxCritical
                                                   : f.kind == Kind::Warning ? QStyle::SP_MessageBoxWarning
                                                                             : QStyle::SP_MessageBoxInformation);
    case Qt::TextAlignmentRole:
        if (index.column() == LineColumn || index.column() == ColumnColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant CheckModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case LineColumn:
        return QStringLiteral("行");
    case ColumnColumn:
        return QStringLiteral("桁");
    case KindColumn:
        return QStringLiteral("種類");
    case MessageColumn:
        return QStringLiteral("内容");
    default:
        return {};
    }
}

// ---- CheckPane ----

struct CheckJob {
    PageCheck::Input input;
    PageCheck::Result result;
    std::shared_ptr<std::atomic_bool> cancel;
};

CheckPane::CheckPane(EditArea *edit, PageInfo page, QWidget *parent)
    : QDockWidget(parent), m_edit(edit), m_page(std::move(page))
{
    setObjectName("CheckPane");
    setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea | Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);

    auto *body = new QWidget;
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    auto *bar = new QHBoxLayout;
    auto *again = new QToolButton;
    again->setObjectName("CheckAgain");
    again->setText(QStringLiteral("再チェック(&R)"));
    again->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(again, &QToolButton::clicked, this, &CheckPane::startCheck);
    auto *options = new QToolButton;
    options->setObjectName("CheckOptions");
    options->setText(QStringLiteral("設定"));
    options->setPopupMode(QToolButton::InstantPopup);
    auto *menu = new QMenu(options);
    menu->setObjectName("CheckMenu");
    m_afterSave = menu->addAction(QStringLiteral("保存したらチェックする(&S)"));
    m_afterSave->setObjectName("CheckAfterSave");
    m_afterSave->setCheckable(true);
    m_afterSave->setChecked(AppEnv::setting(kSection, kAfterSaveKey, QStringLiteral("0")) == QLatin1String("1"));
    connect(m_afterSave, &QAction::toggled, this, [](bool on) {
        AppEnv::setSetting(kSection, kAfterSaveKey, on ? QStringLiteral("1") : QStringLiteral("0"));
    });
    options->setMenu(menu);
    m_status = new QLabel;
    m_status->setObjectName("CheckStatus");
    bar->addWidget(again);
    bar->addWidget(options);
    bar->addWidget(m_status, 1);
    layout->addLayout(bar);

    m_model = new CheckModel(edit, this);
    m_list = new QTreeView;
    m_list->setObjectName("CheckList");
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(CheckModel::LineColumn, 60);
    m_list->setColumnWidth(CheckModel::ColumnColumn, 50);
    m_list->setColumnWidth(CheckModel::KindColumn, 80);
    connect(m_list, &QTreeView::activated, this, [this](const QModelIndex &i) { jumpTo(i.row()); });
    connect(m_list, &QTreeView::customContextMenuRequested, this, &CheckPane::showRowMenu);
    layout->addWidget(m_list, 1);
    setWidget(body);

    // Results of another document mean nothing: they go when another page is loaded.
    connect(edit, &EditArea::contentsEdited, this, [this](int, int removed, int added) {
        if (removed != added && m_model->rowCount() > 0 && m_page().documentPath != m_checkedPath) {
            m_model->setFindings({});
            updateTitle();
        }
    });
    updateTitle();
    hide();
}

CheckPane::~CheckPane()
{
    // A check still running is told to stop and waited for: it reads no widget, but the
    // program must not end under it.
    if (m_cancel)
        *m_cancel = true;
    for (QThread *t : m_threads) {
        t->wait();
        delete t;
    }
}

bool CheckPane::checkAfterSave() const
{
    return m_afterSave->isChecked();
}

void CheckPane::setCheckAfterSave(bool on)
{
    m_afterSave->setChecked(on);
}

void CheckPane::restoreVisibility()
{
    setVisible(AppEnv::setting(kSection, kOpenKey, QStringLiteral("0")) == QLatin1String("1"));
}

void CheckPane::closeEvent(QCloseEvent *event)
{
    AppEnv::setSetting(kSection, kOpenKey, QStringLiteral("0"));
    QDockWidget::closeEvent(event);
}

void CheckPane::showAndCheck()
{
    show();
    raise();
    AppEnv::setSetting(kSection, kOpenKey, QStringLiteral("1"));
    startCheck();
}

void CheckPane::documentSaved()
{
    m_checkedPath = m_page().documentPath;  // a save under a new name keeps the rows
    if (checkAfterSave()) {
        if (!isVisible()) {
            show();
            AppEnv::setSetting(kSection, kOpenKey, QStringLiteral("1"));
        }
        startCheck();
    }
}

void CheckPane::startCheck()
{
    if (m_cancel)
        *m_cancel = true;  // the running check's result is no longer wanted
    auto job = std::make_shared<CheckJob>();
    const Page page = m_page();
    job->input.text = m_edit->text();
    job->input.encoding = page.encoding;
    job->input.documentPath = page.documentPath;
    job->cancel = std::make_shared<std::atomic_bool>(false);
    m_cancel = job->cancel;
    const unsigned generation = ++m_generation;
    m_checkedPath = page.documentPath;

    QThread *thread = QThread::create([job] { job->result = PageCheck::run(job->input, job->cancel.get()); });
    thread->setObjectName(QStringLiteral("HtmlCheck"));
    m_threads.push_back(thread);
    ++m_running;
    connect(thread, &QThread::finished, this, [this, thread, generation, job] {
        std::erase(m_threads, thread);
        --m_running;
        thread->deleteLater();
        finish(generation, job);
    });
    updateTitle();
    thread->start(QThread::LowPriority);
}

void CheckPane::finish(unsigned generation, const std::shared_ptr<CheckJob> &job)
{
    if (generation != m_generation || job->result.cancelled)
        return;
    // The text may have changed while the check ran: carry the positions over the edits
    // made since by comparing the checked text with the text now.
    const QString now = m_edit->text();
    const QString &then = job->input.text;
    Findings findings = std::move(job->result.findings);
    if (now != then) {
        qsizetype prefix = 0;
        const qsizetype common = std::min(now.size(), then.size());
        while (prefix < common && now[prefix] == then[prefix])
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < common - prefix && now[now.size() - 1 - suffix] == then[then.size() - 1 - suffix])
            ++suffix;
        const int removed = int(then.size() - prefix - suffix);
        const int added = int(now.size() - prefix - suffix);
        for (Finding &f : findings)
            f.pos = CheckModel::follow(f.pos, int(prefix), removed, added);
    }
    m_truncated = job->result.truncated;
    m_model->setFindings(std::move(findings));
    updateTitle();
    emit checkFinished();
}

void CheckPane::updateTitle()
{
    const int n = m_model->rowCount();
    if (m_running > 0) {
        setWindowTitle(QStringLiteral("HTML チェック（チェック中…）"));
        m_status->setText(QStringLiteral("チェックしています…"));
        return;
    }
    setWindowTitle(QStringLiteral("HTML チェック（%1 件）").arg(n));
    int errors = 0, warnings = 0, infos = 0;
    for (int i = 0; i < n; ++i) {
        const Kind k = m_model->finding(i).kind;
        (k == Kind::Error ? errors : k == Kind::Warning ? warnings : infos)++;
    }
    QString status = QStringLiteral("エラー %1　警告 %2　情報 %3").arg(errors).arg(warnings).arg(infos);
    if (m_truncated)
        status += QStringLiteral("（多すぎるため、最初の %1 件だけを表示しています）").arg(PageCheck::MaxRows);
    m_status->setText(status);
}

void CheckPane::jumpTo(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const int pos = m_model->position(row);
    m_edit->select(pos, m_model->finding(row).length);
    m_edit->ensureCursorVisible();
    m_edit->setFocus();
}

bool CheckPane::replaceWithHalfWidthSpace(int row)
{
    if (row < 0 || row >= m_model->rowCount() || m_model->finding(row).fix != HtmlCheck::Fix::HalfWidthSpace)
        return false;
    const int pos = m_model->position(row);
    // The spot may have been edited since: only a full-width space is replaced.
    if (m_edit->textRange(pos, 1) != QString(QChar(0x3000)))
        return false;
    m_edit->select(pos, 1);
    m_edit->setSelText(QStringLiteral(" "));
    m_model->removeFinding(row);
    updateTitle();
    return true;
}

void CheckPane::showRowMenu(const QPoint &pos)
{
    const QModelIndex index = m_list->indexAt(pos);
    if (!index.isValid())
        return;
    const int row = index.row();
    QMenu menu(this);
    QAction *jump = menu.addAction(QStringLiteral("この場所へ移動(&J)"));
    connect(jump, &QAction::triggered, this, [this, row] { jumpTo(row); });
    if (m_model->finding(row).fix == HtmlCheck::Fix::HalfWidthSpace) {
        QAction *fix = menu.addAction(QStringLiteral("半角スペースに置き換え"));
        fix->setObjectName("CheckFixSpace");
        connect(fix, &QAction::triggered, this, [this, row] { replaceWithHalfWidthSpace(row); });
    }
    menu.exec(m_list->viewport()->mapToGlobal(pos));
}

#include "search.h"

#include "platform/editarea.h"
#include "platform/prompts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Search {

int findFrom(const QString &text, const QString &what, int from)
{
    if (from < 0)
        from = 0;
    if (what.isEmpty())
        return from < text.size() ? from : -1;
    return int(text.indexOf(what, from, Qt::CaseSensitive));
}

ReplaceResult replaceAll(const QString &text, const QString &what, const QString &with, int from)
{
    ReplaceResult r;
    if (what.isEmpty())
        return r;
    qsizetype pos = text.indexOf(what, qMax(0, from), Qt::CaseSensitive);
    if (pos < 0)
        return r;
    r.first = int(pos);
    qsizetype copied = pos;  // old text up to here is already in middle
    while (pos >= 0) {
        r.middle.append(QStringView(text).mid(copied, pos - copied));
        r.middle.append(with);
        ++r.count;
        copied = pos + what.size();
        pos = text.indexOf(what, copied, Qt::CaseSensitive);
    }
    r.oldEnd = int(copied);
    return r;
}

QString notFoundMessage()
{
    return QStringLiteral("検索文字列は見つかりませんでした。");
}

QString replaceDoneMessage()
{
    return QStringLiteral("置換は終了しました。");
}

QString emptySearchMessage()
{
    return QStringLiteral("検索文字列が入力されていません。");
}

}

bool SearchState::searchFrom(EditArea *edit, int from)
{
    const int p = Search::findFrom(edit->text(), SearchText, from);
    if (p < 0) {
        FoundPos = 0;
        return false;
    }
    FoundPos = p - from + 1;
    edit->select(p, int(SearchText.size()));
    return true;
}

bool SearchState::find(QWidget *parent, EditArea *edit)
{
    SearchText = Prompts::input(parent, QStringLiteral("検索文字列を入力してください:"));
    if (searchFrom(edit, 0))
        return true;
    Prompts::info(parent, Search::notFoundMessage());
    return false;
}

bool SearchState::findNext(QWidget *parent, EditArea *edit)
{
    const int from = edit->selStart() + edit->selLength();
    edit->setSelStart(from);
    if (searchFrom(edit, from))
        return true;
    Prompts::info(parent, Search::notFoundMessage());
    return false;
}

// The replace dialog.

namespace {
QPointer<TikanFrm> g_tikan;
}

TikanFrm::TikanFrm(EditArea *edit, QWidget *parent) : QDialog(parent), m_edit(edit)
{
    setObjectName("tikanfrm");
    setWindowTitle(QStringLiteral("置換"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    m_find = new QLineEdit(this);
    m_find->setObjectName("Text1");
    m_replace = new QLineEdit(this);
    m_replace->setObjectName("Text2");
    m_find->setMinimumWidth(260);

    auto *findLabel = new QLabel(QStringLiteral("検索文字列(&F)"), this);
    findLabel->setBuddy(m_find);
    auto *replaceLabel = new QLabel(QStringLiteral("置換後文字列(&W)"), this);
    replaceLabel->setBuddy(m_replace);

    auto button = [this](const char *name, const QString &caption, void (TikanFrm::*handler)()) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    QPushButton *next = button("Command1", QStringLiteral("次を検索(&N)"), &TikanFrm::searchNext);
    QPushButton *one = button("Command3", QStringLiteral("置換(&R)"), &TikanFrm::replaceOne);
    QPushButton *all = button("Command4", QStringLiteral("すべて置換(&A)"), &TikanFrm::replaceAll);
    QPushButton *cancel = button("Command2", QStringLiteral("キャンセル"), &TikanFrm::cancel);
    next->setDefault(true);

    auto *grid = new QGridLayout;
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(m_find, 1, 0);
    grid->addWidget(replaceLabel, 2, 0);
    grid->addWidget(m_replace, 3, 0);
    grid->setRowStretch(4, 1);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(next);
    buttons->addWidget(one);
    buttons->addWidget(all);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setTabOrder(m_find, m_replace);
}

TikanFrm *TikanFrm::instance()
{
    return g_tikan.data();
}

TikanFrm *TikanFrm::open(EditArea *edit, QWidget *parent)
{
    edit->setSelStart(0);
    if (!g_tikan)
        g_tikan = new TikanFrm(edit, parent);
    g_tikan->show();
    g_tikan->raise();
    g_tikan->activateWindow();
    return g_tikan.data();
}

// An empty search text would "match" at the caret: Replace would insert the
// replacement where nothing was found, Replace all would never end, and Find next
// would select nothing without a word. All three say so instead.
bool TikanFrm::checkSearchText()
{
    if (!m_find->text().isEmpty())
        return true;
    Prompts::info(this, Search::emptySearchMessage());
    m_find->setFocus();
    return false;
}

bool TikanFrm::findNext()
{
    const int from = m_edit->selStart() + m_edit->selLength();
    m_edit->setSelStart(from);
    const QString what = m_find->text();
    const int p = Search::findFrom(m_edit->text(), what, from);
    if (p >= 0) {
        m_edit->select(p, int(what.size()));
        return true;
    }
    Prompts::info(this, Search::notFoundMessage());
    // The next search starts again at the top.
    m_edit->setSelStart(0);
    return false;
}

void TikanFrm::searchNext()
{
    if (!m_edit || !checkSearchText())
        return;
    findNext();
}

void TikanFrm::replaceOne()
{
    if (!m_edit || !checkSearchText())
        return;
    if (m_edit->selText() != m_find->text() && !findNext())
        return;
    m_edit->setSelText(m_replace->text());
}

void TikanFrm::replaceAll()
{
    if (!m_edit || !checkSearchText())
        return;
    const Search::ReplaceResult r = Search::replaceAll(m_edit->text(), m_find->text(), m_replace->text());
    if (r.count == 0) {
        m_edit->setSelStart(0);
    } else {
        // One change from the first match to the end of the last; the caret ends
        // after the last replacement, nothing selected.
        m_edit->oneChange([&] {
            m_edit->select(r.first, r.oldEnd - r.first);
            m_edit->setSelText(r.middle);
        });
    }
    Prompts::info(this, Search::replaceDoneMessage());
}

void TikanFrm::cancel()
{
    close();
}

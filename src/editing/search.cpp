#include "search.h"

#include "highlightall.h"
#include "searchui.h"
#include "platform/editarea.h"
#include "platform/prompts.h"

#include <QComboBox>
#include <QDialogButtonBox>
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

QString replacedCountMessage(int count)
{
    return QStringLiteral("%1 件を置換しました。").arg(count);
}

}

bool SearchState::searchFrom(EditArea *edit, int from, bool skipEmptyAtFrom, QString *error)
{
    Search::Matcher matcher(SearchText, Options);
    const QString text = edit->text();
    matcher.setText(text);
    const Search::Match m = matcher.find(from, skipEmptyAtFrom);
    if (error)
        *error = matcher.isValid() && !matcher.gaveUp() ? QString() : matcher.errorText();
    if (!m.found()) {
        FoundPos = 0;
        return false;
    }
    FoundPos = m.start - from + 1;
    edit->select(m.start, m.length);
    return true;
}

bool SearchState::report(QWidget *parent, EditArea *edit, bool found, const QString &error)
{
    if (!error.isEmpty())
        Prompts::error(parent, error);
    else if (!found)
        Prompts::info(parent, Search::notFoundMessage());
    else if (!SearchText.isEmpty())
        MatchHighlighter::showStatus(edit, MatchHighlighter::of(edit)->countText(SearchText, Options));
    return found;
}

bool SearchState::find(QWidget *parent, EditArea *edit)
{
    QString text;
    Search::Options options = Options;
    FindInput::ask(parent, edit, &text, &options);
    SearchText = text;
    Options = options;
    QString error;
    const bool found = searchFrom(edit, 0, false, &error);
    return report(parent, edit, found, error);
}

bool SearchState::findNext(QWidget *parent, EditArea *edit)
{
    const int from = edit->selStart() + edit->selLength();
    edit->setSelStart(from);
    // A regular expression that matched nothing (^, x*) moves on instead of staying put.
    QString error;
    const bool found = searchFrom(edit, from, Options.regex, &error);
    return report(parent, edit, found, error);
}

// The find input.

FindInput::FindInput(QWidget *parent, EditArea *edit) : QDialog(parent), m_edit(edit)
{
    setObjectName("frmFind");
    setWindowTitle(Prompts::appTitle());
    auto *prompt = new QLabel(QStringLiteral("検索文字列を入力してください:"), this);
    m_find = SearchSettings::historyCombo(this, QStringLiteral("Find"), QStringLiteral("Text1"));
    prompt->setBuddy(m_find);
    m_options = new SearchOptionsBox(this);
    m_options->setOptions(SearchSettings::options());
    m_message = new QLabel(this);
    m_message->setObjectName("lblMessage");
    m_message->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &FindInput::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_find);
    layout->addWidget(m_options);
    layout->addWidget(m_message);
    layout->addWidget(buttons);
    resize(420, sizeHint().height());

    connect(m_find, &QComboBox::editTextChanged, this, &FindInput::changed);
    connect(m_options, &SearchOptionsBox::changed, this, &FindInput::changed);
    if (m_edit)
        connect(MatchHighlighter::of(m_edit), &MatchHighlighter::countChanged, m_message, &QLabel::setText);
}

FindInput::~FindInput()
{
    if (m_edit)
        MatchHighlighter::of(m_edit)->hide();
    // The replace dialog, still open, shows its own matches again.
    if (TikanFrm *t = TikanFrm::instance())
        t->showMatches();
}

QString FindInput::text() const
{
    return m_find->currentText();
}

Search::Options FindInput::options() const
{
    return m_options->options();
}

void FindInput::changed()
{
    SearchSettings::setOptions(options());
    if (!m_edit)
        return;
    const Search::Matcher check(text(), options());
    if (!check.isValid()) {
        MatchHighlighter::of(m_edit)->hide();
        m_message->setText(check.errorText());
        return;
    }
    m_message->clear();
    MatchHighlighter::of(m_edit)->show(text(), options());
}

void FindInput::accept()
{
    const Search::Matcher check(text(), options());
    if (!check.isValid()) {
        Prompts::error(this, check.errorText());
        m_find->lineEdit()->setFocus();
        m_find->lineEdit()->setCursorPosition(check.errorPosition());
        return;
    }
    SearchSettings::rememberIn(m_find, QStringLiteral("Find"));
    QDialog::accept();
}

bool FindInput::ask(QWidget *parent, EditArea *edit, QString *text, Search::Options *options)
{
    if (Prompts::answering()) {
        *text = Prompts::input(parent, QStringLiteral("検索文字列を入力してください:"));
        *options = SearchSettings::options();
        SearchSettings::remember(QStringLiteral("Find"), *text);
        return true;
    }
    FindInput dlg(parent, edit);
    if (dlg.exec() != QDialog::Accepted) {
        text->clear();
        return false;
    }
    *text = dlg.text();
    *options = dlg.options();
    return true;
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

    // Both texts start empty each time; the drop-downs hold the recent ones.
    m_findBox = SearchSettings::historyCombo(this, QStringLiteral("Find"), QStringLiteral("Text1"));
    m_replaceBox = SearchSettings::historyCombo(this, QStringLiteral("Replace"), QStringLiteral("Text2"));
    m_find = m_findBox->lineEdit();
    m_replace = m_replaceBox->lineEdit();
    m_findBox->setMinimumWidth(260);
    m_options = new SearchOptionsBox(this);
    m_options->setOptions(SearchSettings::options());
    m_message = new QLabel(this);
    m_message->setObjectName("lblMessage");
    m_message->setWordWrap(true);

    auto *findLabel = new QLabel(QStringLiteral("検索文字列(&F)"), this);
    findLabel->setBuddy(m_findBox);
    auto *replaceLabel = new QLabel(QStringLiteral("置換後文字列(&W)"), this);
    replaceLabel->setBuddy(m_replaceBox);

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
    grid->addWidget(m_findBox, 1, 0);
    grid->addWidget(replaceLabel, 2, 0);
    grid->addWidget(m_replaceBox, 3, 0);
    grid->addWidget(m_options, 4, 0);
    grid->addWidget(m_message, 5, 0);
    grid->setRowStretch(6, 1);

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
    setTabOrder(m_findBox, m_replaceBox);
    setTabOrder(m_replaceBox, m_options);

    connect(m_findBox, &QComboBox::editTextChanged, this, &TikanFrm::showMatches);
    connect(m_options, &SearchOptionsBox::changed, this, &TikanFrm::showMatches);
    connect(MatchHighlighter::of(m_edit), &MatchHighlighter::countChanged, m_message, &QLabel::setText);
    // The highlights go with the dialog, also before it is deleted.
    connect(this, &QDialog::finished, this, [this] {
        if (m_edit)
            MatchHighlighter::of(m_edit)->hide();
    });
}

TikanFrm::~TikanFrm()
{
    if (m_edit)
        MatchHighlighter::of(m_edit)->hide();
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

void TikanFrm::showMatches()
{
    SearchSettings::setOptions(m_options->options());
    if (!m_edit)
        return;
    const Search::Matcher check(m_find->text(), m_options->options());
    if (!check.isValid()) {
        MatchHighlighter::of(m_edit)->hide();
        m_message->setText(check.errorText());
        return;
    }
    m_message->clear();
    MatchHighlighter::of(m_edit)->show(m_find->text(), m_options->options());
}

// An empty search text would "match" at the caret: Replace would insert the
// replacement where nothing was found, Replace all would never end, and Find next
// would select nothing without a word. All three say so instead.
bool TikanFrm::checkSearchText()
{
    if (!m_find->text().isEmpty()) {
        SearchSettings::rememberIn(m_findBox, QStringLiteral("Find"));
        return true;
    }
    Prompts::info(this, Search::emptySearchMessage());
    m_find->setFocus();
    return false;
}

bool TikanFrm::prepare(Search::Matcher &matcher, const QString &text)
{
    if (!matcher.isValid()) {
        Prompts::error(this, matcher.errorText());
        m_find->setFocus();
        m_find->setCursorPosition(matcher.errorPosition());
        return false;
    }
    matcher.setText(text);
    return true;
}

bool TikanFrm::findNext()
{
    const int from = m_edit->selStart() + m_edit->selLength();
    m_edit->setSelStart(from);
    Search::Matcher matcher(m_find->text(), m_options->options());
    const QString text = m_edit->text();
    if (!prepare(matcher, text))
        return false;
    const Search::Match m = matcher.find(from, matcher.options().regex);
    if (m.found()) {
        m_edit->select(m.start, m.length);
        return true;
    }
    if (matcher.gaveUp()) {
        Prompts::error(this, matcher.errorText());
        return false;
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
    Search::Matcher matcher(m_find->text(), m_options->options());
    QString text = m_edit->text();
    if (!prepare(matcher, text))
        return;
    SearchSettings::rememberIn(m_replaceBox, QStringLiteral("Replace"));
    // The selection itself is a match: replaced without searching.
    Search::Match m = matcher.matchAt(m_edit->selStart(), m_edit->selLength());
    if (!m.found()) {
        if (!findNext())
            return;
        text = m_edit->text();
        matcher.setText(text);
        m = matcher.matchAt(m_edit->selStart(), m_edit->selLength());
    }
    m_edit->setSelText(matcher.replacement(m, m_replace->text()));
}

void TikanFrm::replaceAll()
{
    if (!m_edit || !checkSearchText())
        return;
    Search::Matcher matcher(m_find->text(), m_options->options());
    const QString text = m_edit->text();
    if (!prepare(matcher, text))
        return;
    SearchSettings::rememberIn(m_replaceBox, QStringLiteral("Replace"));
    const Search::ReplaceResult r = Search::replaceAll(text, matcher, m_replace->text());
    if (matcher.gaveUp()) {
        // Nothing is changed when the pattern could not be followed to the end.
        Prompts::error(this, matcher.errorText());
        return;
    }
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
    MatchHighlighter::showStatus(m_edit, Search::replacedCountMessage(r.count));
    Prompts::info(this, Search::replaceDoneMessage());
}

void TikanFrm::cancel()
{
    close();
}

#include "searchui.h"

#include "platform/appenv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>

namespace {
const QString Section = QStringLiteral("search");
constexpr int HistorySize = 20;
}

SearchOptionsBox::SearchOptionsBox(QWidget *parent) : QWidget(parent)
{
    auto box = [this](const char *name, const QString &caption) {
        auto *c = new QCheckBox(caption, this);
        c->setObjectName(name);
        connect(c, &QCheckBox::toggled, this, &SearchOptionsBox::changed);
        return c;
    };
    m_regex = box("chkRegex", QStringLiteral("正規表現"));
    m_ignoreCase = box("chkIgnoreCase", QStringLiteral("大文字と小文字を区別しない"));
    m_word = box("chkWord", QStringLiteral("単語単位"));
    m_width = box("chkWidth", QStringLiteral("全角と半角を区別しない"));
    m_kana = box("chkKana", QStringLiteral("ひらがなとカタカナを区別しない"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_ignoreCase, 0, 0);
    grid->addWidget(m_word, 0, 1);
    grid->addWidget(m_regex, 0, 2);
    grid->addWidget(m_width, 1, 0);
    grid->addWidget(m_kana, 1, 1, 1, 2);
}

Search::Options SearchOptionsBox::options() const
{
    Search::Options o;
    o.regex = m_regex->isChecked();
    o.ignoreCase = m_ignoreCase->isChecked();
    o.word = m_word->isChecked();
    o.width = m_width->isChecked();
    o.kana = m_kana->isChecked();
    return o;
}

void SearchOptionsBox::setOptions(const Search::Options &o)
{
    m_regex->setChecked(o.regex);
    m_ignoreCase->setChecked(o.ignoreCase);
    m_word->setChecked(o.word);
    m_width->setChecked(o.width);
    m_kana->setChecked(o.kana);
}

namespace SearchSettings {

namespace {
bool flag(const QString &key)
{
    return AppEnv::setting(Section, key, QStringLiteral("0")) == QLatin1String("1");
}
void setFlag(const QString &key, bool on)
{
    AppEnv::setSetting(Section, key, on ? QStringLiteral("1") : QStringLiteral("0"));
}
}

Search::Options options()
{
    Search::Options o;
    o.regex = flag(QStringLiteral("Regex"));
    o.ignoreCase = flag(QStringLiteral("IgnoreCase"));
    o.word = flag(QStringLiteral("Word"));
    o.width = flag(QStringLiteral("Width"));
    o.kana = flag(QStringLiteral("Kana"));
    return o;
}

void setOptions(const Search::Options &o)
{
    setFlag(QStringLiteral("Regex"), o.regex);
    setFlag(QStringLiteral("IgnoreCase"), o.ignoreCase);
    setFlag(QStringLiteral("Word"), o.word);
    setFlag(QStringLiteral("Width"), o.width);
    setFlag(QStringLiteral("Kana"), o.kana);
}

QStringList history(const QString &kind)
{
    QStringList out;
    for (int i = 1; i <= HistorySize; ++i) {
        const QString v = AppEnv::setting(Section, kind + QString::number(i), QString());
        if (v.isEmpty())
            break;
        out << v;
    }
    return out;
}

void remember(const QString &kind, const QString &text)
{
    const QStringList h = Search::addToHistory(history(kind), text, HistorySize);
    for (int i = 1; i <= HistorySize; ++i)
        AppEnv::setSetting(Section, kind + QString::number(i), i <= h.size() ? h[i - 1] : QString());
}

QComboBox *historyCombo(QWidget *parent, const QString &kind, const QString &lineEditName)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QStringLiteral("cbo") + lineEditName);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setMaxCount(HistorySize);
    c->setMaxVisibleItems(HistorySize);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(24);
    c->addItems(history(kind));
    c->setCurrentIndex(-1);
    c->lineEdit()->setObjectName(lineEditName);
    c->lineEdit()->clear();
    return c;
}

void rememberIn(QComboBox *combo, const QString &kind)
{
    const QString text = combo->currentText();
    if (text.isEmpty())
        return;
    remember(kind, text);
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(history(kind));
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

}

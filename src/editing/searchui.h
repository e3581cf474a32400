#pragma once
// What the search windows share: the five option boxes, the drop-down lists of recent
// search and replacement texts, and where both are kept in the settings.
#include "matcher.h"

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;

// The option boxes chkRegex, chkIgnoreCase, chkWord, chkWidth and chkKana, laid out in
// two rows.
class SearchOptionsBox : public QWidget {
    Q_OBJECT
public:
    explicit SearchOptionsBox(QWidget *parent = nullptr);
    Search::Options options() const;
    void setOptions(const Search::Options &options);

signals:
    void changed();

private:
    QCheckBox *m_regex, *m_ignoreCase, *m_word, *m_width, *m_kana;
};

namespace SearchSettings {
// The options last used (all off until the user turns one on).
Search::Options options();
void setOptions(const Search::Options &options);

// Recent texts, newest first: kind "Find" for search texts, "Replace" for replacements.
QStringList history(const QString &kind);
void remember(const QString &kind, const QString &text);

// An editable drop-down of the history whose line edit carries lineEditName.
QComboBox *historyCombo(QWidget *parent, const QString &kind, const QString &lineEditName);
// Puts a text at the top of the history and of the drop-down, keeping what is typed.
void rememberIn(QComboBox *combo, const QString &kind);
}

#pragma once
// Find, Find next and Replace on the editing area. With every option off matching is
// exact and case-sensitive; it always runs forward from a start point to the end of
// the text. The positions are plain ints over the whole text: no length limit.
#include "matcher.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class EditArea;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SearchOptionsBox;

namespace Search {

// 0-based position of the first occurrence of what in text at or after from, or -1.
// An empty what matches at from as long as some text remains there.
int findFrom(const QString &text, const QString &what, int from);

// Replace all: every occurrence of what at or after from, left to right, without
// searching the inserted text again.
struct ReplaceResult {
    int count = 0;        // replacements made
    int first = -1;       // start of the first match in the old text (-1: none)
    int oldEnd = -1;      // end of the last match in the old text
    QString middle;       // what replaces old text [first, oldEnd)
};
// what must not be empty.
ReplaceResult replaceAll(const QString &text, const QString &what, const QString &with, int from = 0);

QString notFoundMessage();     // "検索文字列は見つかりませんでした。"
QString replaceDoneMessage();  // "置換は終了しました。"
QString emptySearchMessage();  // shown when there is nothing to search for
QString replacedCountMessage(int count);  // "12 件を置換しました。"

}

// The main window's Find and Find next: the search text and the last match.
class SearchState {
public:
    QString SearchText;      // the last Find prompt's answer
    Search::Options Options;  // the options it was given with
    int FoundPos = 0;        // 1-based match position relative to the search's start; 0 for none

    // Find: asks for the search text and searches from the top. True when a match
    // was selected (the opener then enables Find next).
    bool find(QWidget *parent, EditArea *edit);
    // Find next: searches from the end of the selection; no wrap-around.
    bool findNext(QWidget *parent, EditArea *edit);

    // The search step without prompts; an invalid pattern or one that gave up is
    // reported by *error (and nothing is selected).
    bool searchFrom(EditArea *edit, int from, bool skipEmptyAtFrom = false, QString *error = nullptr);

private:
    bool report(QWidget *parent, EditArea *edit, bool found, const QString &error);
};

// The find input: the search text (with the recent ones in a drop-down) and the
// options. Every match is highlighted while it is open.
class FindInput : public QDialog {
    Q_OBJECT
public:
    FindInput(QWidget *parent, EditArea *edit);
    ~FindInput() override;
    // Asks; false on Cancel. Tests that answer prompts answer this one too.
    static bool ask(QWidget *parent, EditArea *edit, QString *text, Search::Options *options);

    QString text() const;
    Search::Options options() const;
    void accept() override;

private:
    void changed();
    QPointer<EditArea> m_edit;
    QComboBox *m_find;
    SearchOptionsBox *m_options;
    QLabel *m_message;
};

// The replace dialog: modeless, one at a time.
class TikanFrm : public QDialog {
    Q_OBJECT
public:
    // Replace from the menu: caret to the top of the text, then the dialog is shown
    // (created if needed, otherwise raised and activated). Returns the dialog.
    static TikanFrm *open(EditArea *edit, QWidget *parent);
    static TikanFrm *instance();

    void searchNext();  // Find next
    void replaceOne();  // Replace
    void replaceAll();  // Replace all
    void cancel();  // Cancel

    ~TikanFrm() override;
    // Highlights the matches of the search text (and saves the options).
    void showMatches();

private:
    TikanFrm(EditArea *edit, QWidget *parent);
    bool findNext();  // false: no match (already reported)
    bool checkSearchText();
    // The search text and options as a matcher over the current text; false (with the
    // error shown and the position marked) for an invalid pattern.
    bool prepare(Search::Matcher &matcher, const QString &text);

    QPointer<EditArea> m_edit;
    QComboBox *m_findBox;
    QComboBox *m_replaceBox;
    QLineEdit *m_find;
    QLineEdit *m_replace;
    SearchOptionsBox *m_options;
    QLabel *m_message;
};

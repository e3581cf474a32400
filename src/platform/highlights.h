#pragma once
// Display-only highlights on an editor, kept apart from the text's own formatting:
// every feature (search matches, the current line, matching tags…) owns one list of
// extra selections under its own key, and the editor shows all lists together, in key
// order. Setting a list never changes the text, its markers or the history.
#include <QList>
#include <QPlainTextEdit>
#include <QString>
#include <QTextEdit>

namespace Highlights {
void set(QPlainTextEdit *editor, const QString &owner, const QList<QTextEdit::ExtraSelection> &list);
QList<QTextEdit::ExtraSelection> get(const QPlainTextEdit *editor, const QString &owner);
}

#include "highlights.h"

#include <QMap>

namespace {

// The lists of one editor, living as its child.
class HighlightLists : public QObject {
public:
    using QObject::QObject;
    QMap<QString, QList<QTextEdit::ExtraSelection>> lists;
};

HighlightLists *listsOf(const QPlainTextEdit *editor, bool create)
{
    static const QString name = QStringLiteral("highlightLists");
    auto *l = dynamic_cast<HighlightLists *>(editor->findChild<QObject *>(name, Qt::FindDirectChildrenOnly));
    if (!l && create) {
        l = new HighlightLists(const_cast<QPlainTextEdit *>(editor));
        l->setObjectName(name);
    }
    return l;
}

}

namespace Highlights {

void set(QPlainTextEdit *editor, const QString &owner, const QList<QTextEdit::ExtraSelection> &list)
{
    HighlightLists *l = listsOf(editor, true);
    if (list.isEmpty())
        l->lists.remove(owner);
    else
        l->lists.insert(owner, list);
    QList<QTextEdit::ExtraSelection> all;
    for (const auto &one : std::as_const(l->lists))
        all += one;
    editor->setExtraSelections(all);
}

QList<QTextEdit::ExtraSelection> get(const QPlainTextEdit *editor, const QString &owner)
{
    const HighlightLists *l = listsOf(editor, false);
    return l ? l->lists.value(owner) : QList<QTextEdit::ExtraSelection>();
}

}

#include "tagmenu.h"

#include "palette.h"
#include "platform/editarea.h"
#include "tagtables.h"

#include <QAction>
#include <QMenu>

namespace TagMenu {

void fill(QMenu *withEnd, QMenu *noEnd, EditArea *edit)
{
    for (int i = 0; i < TagTables::PairFilled; ++i) {
        const PairTag &t = TagTables::pairTags()[i];
        QAction *a = withEnd->addAction(Palette::literalCaption(t.start));
        a->setObjectName(QStringLiteral("TagSyu(%1)").arg(i + 1));
        QObject::connect(a, &QAction::triggered, edit, [edit, t] {
            edit->wrap(t.start, t.end);
            edit->setFocus();
        });
    }
    for (int i = 0; i < TagTables::SingleFilled; ++i) {
        const QString t = TagTables::singleTags()[i];
        QAction *a = noEnd->addAction(Palette::literalCaption(t));
        a->setObjectName(QStringLiteral("TagTan(%1)").arg(i + 1));
        QObject::connect(a, &QAction::triggered, edit, [edit, t] {
            edit->insert(t);
            edit->setFocus();
        });
    }
}

}

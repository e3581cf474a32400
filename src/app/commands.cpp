#include "commands.h"

#include "mainwindow.h"
#include "platform/editarea.h"
#include "platform/pickers.h"

#include <QHash>

namespace Commands {

namespace {

const QHash<QString, Handler> &table()
{
    static const QHash<QString, Handler> t = {
    };
    return t;
}

}

const Handler *find(const QString &name)
{
    const auto it = table().find(name);
    return it == table().end() ? nullptr : &it.value();
}

void installPickers()
{
}

}

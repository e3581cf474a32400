#include "instances.h"

#include <QCoreApplication>
#include <QProcess>

namespace {
std::function<void(const QString &, bool)> &starter()
{
    static std::function<void(const QString &, bool)> s;
    return s;
}
}

void Instances::startAnother(const QString &commandLine, bool minimised)
{
    if (starter()) {
        starter()(commandLine, minimised);
        return;
    }
    QProcess p;
    p.setProgram(QCoreApplication::applicationFilePath());
    if (!commandLine.isEmpty())
        p.setArguments({commandLine});
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (minimised)
        env.insert(QStringLiteral("TARNELL_START_MINIMIZED"), QStringLiteral("1"));
    else
        env.remove(QStringLiteral("TARNELL_START_MINIMIZED"));
    p.setProcessEnvironment(env);
    p.startDetached();
}

void Instances::setStarter(std::function<void(const QString &, bool)> s)
{
    starter() = std::move(s);
}

#pragma once
// Helpers shared by the tests: a private program folder and settings store per test.
#include <QString>
#include <QWidget>
#include <QDir>
#include <QEvent>
#include <QTemporaryDir>

#include "platform/appenv.h"

// Counts the paint events of the widgets it is installed on.
struct PaintCount : QObject {
    int count = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        count += e->type() == QEvent::Paint;
        return false;
    }
};

struct TestFolders {
    QTemporaryDir dir;
    QString program;
    QString settings;
    TestFolders()
    {
        program = dir.path() + "/prog";
        settings = dir.path() + "/config";
        QDir().mkpath(program);
        QDir().mkpath(settings);
        AppEnv::setProgramFolder(program);
        AppEnv::setSettingsFolder(settings);
    }
    QString path(const QString &name) const { return dir.path() + "/" + name; }
};

// A control of a window by its name; a missing control ends the test run loudly.
template <typename T>
T *child(QWidget *w, const QString &name)
{
    T *c = w->findChild<T *>(name);
    if (!c)
        qFatal("no control %s in %s", qPrintable(name), qPrintable(w->objectName()));
    return c;
}

#ifdef TARNELL_BROWSER_MODULE
// The program opens its browser module beside the executable; a test binary lives
// elsewhere and opens the one of the build's program folder.
inline const bool kBrowserModuleLocated = [] {
    if (qEnvironmentVariableIsEmpty("TARNELL_BROWSER_MODULE"))
        qputenv("TARNELL_BROWSER_MODULE", TARNELL_BROWSER_MODULE);
    return true;
}();
#endif

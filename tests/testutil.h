#pragma once
// Helpers shared by the tests: a private program folder and settings store per test.
#include <QString>
#include <QDir>
#include <QTemporaryDir>

#include "platform/appenv.h"

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

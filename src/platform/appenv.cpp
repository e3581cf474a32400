#include "appenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

namespace {
QString g_programFolder;
QString g_settingsFolder;
std::unique_ptr<QSettings> g_settings;

QSettings &store()
{
    if (!g_settings)
        g_settings = std::make_unique<QSettings>(AppEnv::settingsFile(), QSettings::IniFormat);
    return *g_settings;
}
}

namespace AppEnv {

QString programFolder()
{
    if (!g_programFolder.isEmpty())
        return g_programFolder;
    return QCoreApplication::applicationDirPath();
}

void setProgramFolder(const QString &folder)
{
    g_programFolder = folder;
}

QString inProgramFolder(const QString &name)
{
    const QString f = programFolder();
    return f.endsWith(QLatin1Char('/')) ? f + name : f + QLatin1Char('/') + name;
}

void setSettingsFolder(const QString &folder)
{
    g_settings.reset();
    g_settingsFolder = folder;
}

QString settingsFile()
{
    QString base = g_settingsFolder;
    if (base.isEmpty())
        base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/tarnell/tarnell.conf");
}

QString setting(const QString &section, const QString &key, const QString &defaultValue)
{
    const QVariant v = store().value(section + QLatin1Char('/') + key);
    return v.isValid() ? v.toString() : defaultValue;
}

void setSetting(const QString &section, const QString &key, const QString &value)
{
    store().setValue(section + QLatin1Char('/') + key, value);
}

void syncSettings()
{
    store().sync();
}

QString versionText()
{
    return QStringLiteral("Ver. %1.%2.%3").arg(1).arg(0).arg(0);
}

}

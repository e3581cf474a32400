#pragma once
// Where the program keeps its files. The program folder is the executable's folder
// unless a caller (a test, a tool) points it elsewhere.
#include <QString>

class QSettings;

namespace AppEnv {
QString programFolder();
void setProgramFolder(const QString &folder);

// Program folder + "/" + name, or "/" + name in the root folder.
QString inProgramFolder(const QString &name);

// Settings store: INI file "tarnell/tarnell.conf" under the user's configuration
// folder, or under the folder set here.
void setSettingsFolder(const QString &folder);
QString settingsFile();
QString setting(const QString &section, const QString &key, const QString &defaultValue);
void setSetting(const QString &section, const QString &key, const QString &value);
void syncSettings();

// Version text "Ver. 1.0.0".
QString versionText();
}

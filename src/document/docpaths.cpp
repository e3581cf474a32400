#include "docpaths.h"

#include "platform/appenv.h"

#include <QDir>
#include <QFileInfo>

namespace DocPaths {

QString untitledPath()
{
    return AppEnv::inProgramFolder(QStringLiteral("tmp.htm"));
}

bool isUntitled(const QString &documentPath)
{
    return documentPath == untitledPath();
}

QString previewPath(const QString &documentPath)
{
    return documentPath + QStringLiteral("$.tmp");
}

QString caption(const QString &name)
{
    return name + QStringLiteral("-Tarnell for NOTE");
}

QString fileName(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? path : path.mid(slash + 1);
}

QString saveAsProposal(const QString &documentPath)
{
    if (!isUntitled(documentPath))
        return documentPath;
    const QString folder = QFileInfo(documentPath).absolutePath();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString absolute(const QString &path)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    return QDir::current().absoluteFilePath(path);
}

}

#include "recentfiles.h"

#include "platform/appenv.h"

void RecentFiles::add(const QString &path)
{
    const qsizetype i = m_paths.indexOf(path);
    if (i >= 0)
        m_paths.removeAt(i);
    m_paths.prepend(path);
    while (m_paths.size() > MaxCount)
        m_paths.removeLast();
}

void RecentFiles::setPaths(const QStringList &paths)
{
    m_paths = paths.mid(0, MaxCount);
}

int parseRecentCount(const QString &stored)
{
    bool ok = false;
    const int n = stored.trimmed().toInt(&ok);
    if (!ok)
        return 0;
    return qBound(0, n, int(RecentFiles::MaxCount));
}

void RecentFiles::load()
{
    m_paths.clear();
    const int n = parseRecentCount(AppEnv::setting("manu", "icount", "0"));
    for (int i = 1; i <= n; ++i) {
        // A missing entry would open a document without a path: leave it out.
        const QString path = AppEnv::setting("manu", QString::number(i), QString());
        if (!path.isEmpty())
            m_paths << path;
    }
}

void RecentFiles::save() const
{
    AppEnv::setSetting("manu", "icount", QString::number(m_paths.size()));
    for (int i = 0; i < m_paths.size(); ++i)
        AppEnv::setSetting("manu", QString::number(i + 1), m_paths[i]);
}

#include "recovery.h"

#include "textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QUuid>

namespace {

const char kLockPrefix[] = "tarnell-run-";
const char kLockSuffix[] = ".lock";

QString joinPath(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

}  // namespace

Recovery::Recovery(const QString &historyFolder)
    : m_folder(historyFolder)
{
}

Recovery::~Recovery()
{
    release();
}

bool Recovery::isHeld() const
{
    return m_lock && m_lock->isLocked();
}

QString Recovery::lockPath() const
{
    return m_lockPath;
}

bool Recovery::acquire()
{
    if (m_acquired)
        return !m_snapshot.isEmpty();
    m_acquired = true;

    // Our own lock first, so that two instances starting together see each other.
    const QString id = QUuid::createUuid().toString(QUuid::Id128).left(12);
    m_lockPath = joinPath(m_folder, QLatin1String(kLockPrefix) + id + QLatin1String(kLockSuffix));
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    m_lock->setStaleLockTime(0);  // a live instance's lock never goes stale, however old
    if (!m_lock->tryLock(0))
        m_lock.reset();

    // Every other lock is either alive or left by a run that is gone; the latter are removed.
    const QDir dir(m_folder);
    const QStringList locks = dir.entryList(
        {QLatin1String(kLockPrefix) + QLatin1Char('*') + QLatin1String(kLockSuffix)}, QDir::Files | QDir::Hidden);
    for (const QString &name : locks) {
        const QString path = dir.filePath(name);
        if (QFileInfo(path) == QFileInfo(m_lockPath))
            continue;
        QLockFile other(path);
        other.setStaleLockTime(0);
        if (other.tryLock(0))
            other.unlock();  // it was stale: taking it removed the old one, unlocking removes ours
        else
            m_othersAlive = true;  // alive, or unknown: do not touch its files
    }

    if (!m_othersAlive) {
        // Snapshots are always written as UTF-8: read them so, never by guessing.
        const QString path = joinPath(m_folder, QStringLiteral("modo0.tmp"));
        if (QFileInfo(path).isFile())
            m_snapshot = readTextFile(path, TextFormat()).text;
    }
    return !m_snapshot.isEmpty();
}

void Recovery::release()
{
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

#include "document.h"

#include "docpaths.h"
#include "preread.h"
#include "platform/shared.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

Document::Document(QObject *parent) : QObject(parent), m_watcher(new QFileSystemWatcher(this))
{
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        // A file replaced by rename leaves the watch list; follow the path again.
        watch();
        emit fileChanged();
    });
}

Document::~Document() = default;

bool Document::isUntitled() const
{
    return DocPaths::isUntitled(m_path);
}

void Document::switchToUtf8()
{
    m_format.encoding = "UTF-8";
    m_format.bom = false;
}

void Document::setFormat(const TextFormat &format, bool byUser)
{
    m_format = format;
    m_formatChanged = byUser;
    if (byUser)
        setModified(true);
}

TextFileRead Document::load(const QString &path, const QString &displayName)
{
    std::optional<TextFileRead> ahead = Preread::take(path);
    TextFileRead r = ahead ? std::move(*ahead) : readTextFile(path);
    if (r.status != TextFileRead::Unreadable)
        takeOn(r, path, displayName);
    return r;
}

TextFileRead Document::loadIn(const QString &path, const QString &displayName, const QByteArray &encoding,
                              std::vector<UndecodablePlace> *places, qsizetype *placeCount)
{
    qsizetype count = 0;
    TextFileRead r = readTextFileIn(path, encoding, places, &count);
    if (placeCount)
        *placeCount = count;
    if (r.status == TextFileRead::Ok && count == 0)
        takeOn(r, path, displayName);
    return r;
}

void Document::takeOn(const TextFileRead &r, const QString &path, const QString &displayName)
{
    // A missing file (the template too) is written the way a new document is.
    m_format = r.status == TextFileRead::Ok ? r.format : TextFormat();
    m_unclean = r.status == TextFileRead::Ok && !r.clean;
    setPath(path, displayName);
    m_disk = m_seen = stampOf(path);
    markSaved();
}

bool Document::save(const QString &path, const QString &text, QString *error)
{
    if (!writeTextFile(path, text, m_format, error))
        return false;
    m_unclean = false;
    if (path != m_path)
        setPath(path, DocPaths::fileName(path));
    watch();  // a safe save replaces the file, which ends the watch on the old one
    m_disk = m_seen = stampOf(path);
    markSaved();
    return true;
}

void Document::setPath(const QString &path, const QString &displayName)
{
    const bool changed = path != m_path;
    m_path = path;
    m_displayName = displayName;
    m_previewPath = DocPaths::previewPath(path);
    Shared::DocumentPath = path;
    watch();
    if (changed)
        emit pathChanged(path);
}

void Document::watch()
{
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_path.isEmpty() && QFileInfo::exists(m_path))
        m_watcher->addPath(m_path);
}

void Document::setModified(bool modified)
{
    modified = modified || m_formatChanged;
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

void Document::noteChange()
{
    ++m_revision;
    setModified(true);
}

void Document::markSaved()
{
    m_savedRevision = m_revision;
    m_formatChanged = false;
    setModified(false);
}

QString Document::savePromptText(Leaving leaving)
{
    return leaving == Leaving::Quitting ? QStringLiteral("内容が変更されています。保存しますか？")
                                        : QStringLiteral("内容が変更されています。上書き保存しますか？");
}

Document::DiskStamp Document::stampOf(const QString &path)
{
    const QFileInfo info(path);
    DiskStamp s;
    s.exists = info.exists();
    if (s.exists) {
        s.size = info.size();
        s.modified = info.lastModified();
    }
    return s;
}

bool Document::isChangedOnDisk() const
{
    if (m_path.isEmpty() || isUntitled())
        return false;
    return !(stampOf(m_path) == m_disk);
}

bool Document::hasUnseenDiskChange() const
{
    return isChangedOnDisk() && !(stampOf(m_path) == m_seen);
}

void Document::markDiskChangeSeen()
{
    m_seen = stampOf(m_path);
    watch();
}

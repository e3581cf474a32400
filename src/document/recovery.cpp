#include "recovery.h"

#include "undohistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

const int kMaxSlots = 1000;  // far beyond any number of windows a person opens

const char *lineEndKey(LineEnd e)
{
    switch (e) {
    case LineEnd::LF: return "LF";
    case LineEnd::CR: return "CR";
    case LineEnd::CRLF: break;
    }
    return "CRLF";
}

// Small files written whole under a temporary name, then renamed: a crash leaves the old record
// or the new one. Not synced: it is only as durable as the history beside it.
bool writeWhole(const QString &path, const QByteArray &bytes)
{
    const QString temp = path + QStringLiteral(".new");
    QFile f(temp);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool ok = f.write(bytes) == bytes.size() && f.flush();
    f.close();
    if (!ok || std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

}  // namespace

QByteArray documentRecord(const QString &path, bool untitled, const TextFormat &format)
{
    // One "key=value" per line; the path percent-encoded, since a file name may hold a line break.
    QByteArray r;
    r += "untitled=" + QByteArray(untitled ? "1" : "0") + '\n';
    r += "path=" + QUrl::toPercentEncoding(path, "/") + '\n';
    r += "encoding=" + format.encoding + '\n';
    r += "bom=" + QByteArray(format.bom ? "1" : "0") + '\n';
    r += "lineend=" + QByteArray(lineEndKey(format.lineEnd)) + '\n';
    r += "finallineend=" + QByteArray(format.finalLineEnd ? "1" : "0") + '\n';
    return r;
}

bool parseDocumentRecord(const QByteArray &bytes, RecoveredDocument *into, const QByteArray &prefix)
{
    RecoveredDocument d;
    bool havePath = false, haveEncoding = false;
    for (const QByteArray &line : bytes.split('\n')) {
        if (!line.startsWith(prefix))
            continue;
        const qsizetype eq = line.indexOf('=');
        if (eq <= prefix.size())
            continue;
        const QByteArray key = line.mid(prefix.size(), eq - prefix.size()), value = line.mid(eq + 1);
        if (key == "untitled") {
            d.untitled = value == "1";
        } else if (key == "path") {
            d.path = QUrl::fromPercentEncoding(value);
            havePath = !d.path.isEmpty();
        } else if (key == "encoding") {
            d.format.encoding = value;
            haveEncoding = !value.isEmpty();
        } else if (key == "bom") {
            d.format.bom = value == "1";
        } else if (key == "lineend") {
            d.format.lineEnd = value == "LF" ? LineEnd::LF : value == "CR" ? LineEnd::CR : LineEnd::CRLF;
        } else if (key == "finallineend") {
            d.format.finalLineEnd = value != "0";
        }
    }
    if (!havePath || !haveEncoding)
        return false;
    d.text = std::move(into->text);
    d.slot = into->slot;
    *into = std::move(d);
    return true;
}

bool resolveDocumentRecord(const QByteArray &bytes, RecoveredDocument *into)
{
    if (!bytes.contains("\nswitching=1\n"))
        return parseDocumentRecord(bytes, into);
    // Recorded while the instance replaced its document: the snapshot is either the new
    // document as loaded (nothing to restore) or the last text of the previous one.
    RecoveredDocument next = *into, previous = *into;
    if (!parseDocumentRecord(bytes, &next))
        return false;
    if (next.text == readTextFile(next.path, next.format).text) {
        *into = std::move(next);
        into->text.clear();
        return true;
    }
    if (!parseDocumentRecord(bytes, &previous, "previous."))
        *into = std::move(next);
    else
        *into = std::move(previous);
    return true;
}

Recovery::Recovery(const QString &historyFolder)
    : m_folder(historyFolder)
{
}

Recovery::~Recovery()
{
    for (auto &[slot, lock] : m_held)
        lock->unlock();
    m_held.clear();
    if (m_lock)
        m_lock->unlock();
}

QString Recovery::lockName(int slot)
{
    return QStringLiteral("tarnell-%1.lock").arg(slot);
}

QString Recovery::recordName(int slot)
{
    return slot <= 0 ? QStringLiteral("modo.inf") : QStringLiteral("modo-%1.inf").arg(slot);
}

QString Recovery::filePath(const QString &name) const
{
    return m_folder.endsWith(QLatin1Char('/')) ? m_folder + name : m_folder + QLatin1Char('/') + name;
}

bool Recovery::isHeld() const
{
    return m_lock && m_lock->isLocked();
}

bool Recovery::readLeftovers(int slot, RecoveredDocument *into) const
{
    // The newest snapshot; a run killed between the rotation and the write has it in place 1.
    for (int place = 0; place < 2; ++place) {
        const QString path = filePath(historyFileName(place, slot));
        QFile f(path);
        if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
            continue;
        into->slot = slot;
        into->text = decodeTextFileAs(f.readAll(), TextFormat());  // snapshots are UTF-8
        QFile record(filePath(recordName(slot)));
        if (!record.open(QIODevice::ReadOnly) || !resolveDocumentRecord(record.readAll(), into)) {
            into->untitled = true;  // an older version's snapshot, or a record not yet written
            into->path.clear();
            into->format = TextFormat();
        }
        return true;
    }
    return false;
}

void Recovery::removeSlotFiles(int slot) const
{
    for (int place = 3; place >= 0; --place) {
        QFile::remove(filePath(historyFileName(place, slot)));
        QFile::remove(filePath(historyFileName(place, slot) + QStringLiteral(".new")));
    }
    QFile::remove(filePath(recordName(slot)));
    QFile::remove(filePath(recordName(slot) + QStringLiteral(".new")));
}

void Recovery::acquire()
{
    if (m_acquired)
        return;
    m_acquired = true;

    // The slots that have files: a lock, a snapshot or a record.
    static const QRegularExpression names(
        QStringLiteral("^(?:tarnell-(\\d+)\\.lock|modo[0-3](?:-(\\d+))?\\.tmp(?:\\.new)?|modo(?:-(\\d+))?\\.inf)$"));
    std::set<int> used;
    const QStringList entries = QDir(m_folder).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : entries) {
        const QRegularExpressionMatch m = names.match(name);
        if (!m.hasMatch())
            continue;
        int slot = 0;
        for (int g = 1; g <= 3; ++g)
            if (m.hasCaptured(g))
                slot = m.captured(g).toInt();
        if (slot >= 0 && slot < kMaxSlots)
            used.insert(slot);
    }

    auto tryHold = [this](int slot) -> std::unique_ptr<QLockFile> {
        auto lock = std::make_unique<QLockFile>(filePath(lockName(slot)));
        lock->setStaleLockTime(0);  // a live instance's lock never goes stale, however old
        if (!lock->tryLock(0))
            return nullptr;  // alive (or unknown): its files are not ours to touch
        return lock;
    };
    // A slot whose lock could be taken: what a run that is gone left there is held for the
    // offer; a slot without a snapshot is cleared. True when the slot is free for use.
    auto collect = [this](int slot, std::unique_ptr<QLockFile> &lock) {
        RecoveredDocument d;
        if (readLeftovers(slot, &d)) {
            m_found.push_back(std::move(d));
            m_held.emplace(slot, std::move(lock));
            return false;
        }
        removeSlotFiles(slot);
        return true;
    };

    // This instance's slot: the first free one. Our lock comes first, so that two instances
    // starting together see each other.
    for (int slot = 0; slot < kMaxSlots && m_slot < 0; ++slot) {
        auto lock = tryHold(slot);
        if (lock && collect(slot, lock)) {
            m_lock = std::move(lock);
            m_slot = slot;
        }
    }
    // Every other slot with files whose lock can be taken belonged to a run that is gone.
    for (const int slot : used) {
        if (slot <= m_slot)
            continue;
        auto lock = tryHold(slot);
        if (lock && collect(slot, lock))
            lock->unlock();
    }
}

void Recovery::discard(int slot)
{
    auto it = std::find_if(m_found.begin(), m_found.end(), [slot](const RecoveredDocument &d) { return d.slot == slot; });
    if (it == m_found.end())
        return;
    m_found.erase(it);
    const auto held = m_held.find(slot);
    if (held == m_held.end())
        return;
    removeSlotFiles(slot);
    std::unique_ptr<QLockFile> lock = std::move(held->second);
    m_held.erase(held);
    if (slot < m_slot && m_lock && m_record.isEmpty()) {
        // Before this instance wrote anything it moves down to the freed slot, so that the
        // first instance keeps the first slot's names.
        m_lock->unlock();
        m_lock = std::move(lock);
        m_slot = slot;
    } else {
        lock->unlock();
    }
}

void Recovery::leave(int slot)
{
    auto it = std::find_if(m_found.begin(), m_found.end(), [slot](const RecoveredDocument &d) { return d.slot == slot; });
    if (it == m_found.end())
        return;
    m_found.erase(it);
    const auto held = m_held.find(slot);
    if (held != m_held.end()) {
        held->second->unlock();
        m_held.erase(held);
    }
}

void Recovery::recordDocument(const QString &path, bool untitled, const TextFormat &format)
{
    if (!isHeld())
        return;
    const QByteArray record = documentRecord(path, untitled, format);
    if (record == m_record)
        return;
    if (writeWhole(filePath(recordName(m_slot)), record))
        m_record = record;
}

void Recovery::recordSwitch(const QString &path, bool untitled, const TextFormat &format)
{
    if (!isHeld())
        return;
    if (m_record.isEmpty()) {
        recordDocument(path, untitled, format);  // no text of another document to tell apart
        return;
    }
    QByteArray record = documentRecord(path, untitled, format) + "switching=1\n";
    for (const QByteArray &line : m_record.split('\n'))
        if (!line.isEmpty())
            record += "previous." + line + '\n';
    if (writeWhole(filePath(recordName(m_slot)), record))
        m_record = record;
}

void Recovery::release()
{
    for (auto &[slot, lock] : m_held)
        lock->unlock();
    m_held.clear();
    if (m_lock) {
        if (m_slot >= 0)
            QFile::remove(filePath(recordName(m_slot)));
        m_lock->unlock();
        m_lock.reset();
    }
    m_record.clear();
}

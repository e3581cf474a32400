#include "historywriter.h"

#include "encoding.h"
#include "textfile.h"

#include <QFile>

#include <cstdio>

namespace {
// A place whose file may or may not exist, with unknown contents (before the first write).
constexpr quint64 Unknown = ~quint64(0);
}

bool writeHistoryFile(const QString &path, const SharedText &text)
{
    // Never half a snapshot: the text goes to a new file that then takes the snapshot's name.
    // No sync to disk: the files guard against the program ending, not the system.
    const QString temp = path + QStringLiteral(".new");
    QFile f(temp);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    // The bytes of encodeTextFile(text, TextFormat()) (UTF-8, CR LF, a final line end),
    // encoded piece by piece so that the whole text is never built. In UTF-8 the byte of a
    // line end stands for nothing else, so line ends are widened in the bytes. A surrogate pair
    // split between two pieces waits for its second half.
    const TextFormat format;
    const QByteArray lineEnd = lineEndBytes(format.lineEnd);
    TextCodec codec(format.encoding);
    QByteArray out = format.bom ? codec.byteOrderMark() : QByteArray();
    constexpr qsizetype WriteSize = 1024 * 1024;
    bool written = true;
    QString carried;
    auto encode = [&](QStringView chars) {
        QByteArray bytes = codec.encode(chars);
        if (lineEnd != "\n")
            bytes.replace('\n', lineEnd);
        out += bytes;
        if (out.size() >= WriteSize) {
            written = written && f.write(out) == out.size();
            out.resize(0);
        }
    };
    text.forEachPiece([&](const QString &piece) {
        QString joined;
        QStringView chars(piece);
        if (!carried.isEmpty()) {
            joined = carried + piece;
            carried.clear();
            chars = joined;
        }
        if (!chars.isEmpty() && chars.back().isHighSurrogate()) {
            carried = chars.back();
            chars.chop(1);
        }
        encode(chars);
    });
    if (!carried.isEmpty())
        encode(carried);
    if (format.finalLineEnd)
        out += lineEnd;
    written = written && f.write(out) == out.size();
    written = written && f.flush();
    f.close();
    if (!written || std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

HistoryWriter::HistoryWriter(std::function<QString(int)> pathOf, std::function<void(const QString &)> failed)
    : m_pathOf(std::move(pathOf)), m_failed(std::move(failed))
{
    m_disk.fill(Unknown);
    m_thread = std::thread([this] { run(); });
}

HistoryWriter::~HistoryWriter()
{
    {
        std::unique_lock lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();  // the loop writes what is pending before it stops
}

void HistoryWriter::post(const State &state, bool newestOnly)
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = state;
        m_pendingNewestOnly = newestOnly;
        ++m_posted;
    }
    m_wake.notify_all();
}

void HistoryWriter::flush()
{
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return m_finished == m_posted; });
}

void HistoryWriter::forgetFiles()
{
    flush();
    std::lock_guard lock(m_mutex);
    m_disk.fill(Unknown);
}

void HistoryWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_pending.has_value(); });
        if (m_pending) {
            State state = std::move(*m_pending);
            const bool newestOnly = m_pendingNewestOnly;
            m_pending.reset();
            const quint64 target = m_posted;
            m_busy = true;
            lock.unlock();
            bringTo(state, newestOnly);
            state = State();  // the texts are released here, not while holding the lock
            lock.lock();
            m_busy = false;
            m_finished = target;
            m_done.notify_all();
            continue;
        }
        if (m_stop)
            return;
    }
}

void HistoryWriter::bringTo(const State &wanted, bool newestOnly)
{
    auto wantedAt = [&](int p) { return wanted[p] ? wanted[p]->id : 0; };
    // Whether the file now at place p holds a text that another place still waits for.
    auto neededElsewhere = [&](int p) {
        for (int r = 0; r < Places; ++r)
            if (r != p && m_disk[p] != 0 && m_disk[p] != Unknown && wantedAt(r) == m_disk[p] && m_disk[r] != m_disk[p])
                return true;
        return false;
    };

    // Files that hold a wanted text take their new place by renaming (as the history moves its
    // snapshots along), in an order that never overwrites a file still needed.
    for (int round = 0; round < Places; ++round) {
        bool moved = false;
        for (int p = 0; p < Places; ++p) {
            const quint64 want = wantedAt(p);
            if (want == 0 || m_disk[p] == want || neededElsewhere(p))
                continue;
            for (int q = 0; q < Places; ++q) {
                if (q == p || m_disk[q] != want || wantedAt(q) == m_disk[q])
                    continue;
                if (std::rename(QFile::encodeName(m_pathOf(q)).constData(), QFile::encodeName(m_pathOf(p)).constData()) == 0) {
                    m_disk[p] = want;
                    m_disk[q] = 0;
                    moved = true;
                } else {
                    m_disk[q] = Unknown;
                }
                break;
            }
        }
        if (!moved)
            break;
    }
    // The rest is written or removed, the oldest place first.
    for (int p = Places - 1; p >= 0; --p) {
        const quint64 want = wantedAt(p);
        if (m_disk[p] == want)
            continue;
        if (want == 0) {
            QFile::remove(m_pathOf(p));
            m_disk[p] = 0;
        } else if (newestOnly && p > 0) {
            continue;
        } else if (writeHistoryFile(m_pathOf(p), wanted[p]->text)) {
            m_disk[p] = want;
        } else {
            m_disk[p] = Unknown;
            if (m_failed)
                m_failed(m_pathOf(p));
        }
    }
}

#include "preread.h"

#include <QDateTime>
#include <QFileInfo>

#include <future>
#include <mutex>

namespace Preread {

namespace {

// What tells one state of a file from another without reading it.
struct Stamp {
    bool exists = false;
    qint64 size = -1;
    QDateTime modified;
    QDateTime changed;
    bool operator==(const Stamp &) const = default;
};

Stamp stampOf(const QString &path)
{
    const QFileInfo info(path);
    Stamp s;
    s.exists = info.exists();
    if (s.exists) {
        s.size = info.size();
        s.modified = info.lastModified();
        s.changed = info.metadataChangeTime();
    }
    return s;
}

struct Ahead {
    QString path;
    Stamp before;  // the file as it was when the read began
    std::future<TextFileRead> read;
};

std::mutex g_mutex;
std::optional<Ahead> g_ahead;  // a read still running is waited for when the program ends

}  // namespace

void start(const QString &path)
{
    if (path.isEmpty())
        return;
    Ahead a;
    a.path = path;
    a.before = stampOf(path);
    a.read = std::async(std::launch::async, [path] { return readTextFile(path); });
    const std::lock_guard lock(g_mutex);
    g_ahead = std::move(a);
}

std::optional<TextFileRead> take(const QString &path)
{
    std::optional<Ahead> a;
    {
        const std::lock_guard lock(g_mutex);
        if (!g_ahead || g_ahead->path != path)
            return std::nullopt;
        a = std::move(g_ahead);
        g_ahead.reset();
    }
    TextFileRead r = a->read.get();
    if (!(stampOf(path) == a->before))
        return std::nullopt;
    return r;
}

}

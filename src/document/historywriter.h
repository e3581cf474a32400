#pragma once
// Writes the history files from a thread of their own. The history tells the writer which
// text each file should hold (or that it should not exist); the writer brings the files to
// that state by renaming the files that already hold a wanted text and writing the others,
// each atomically (a new file renamed over the old one). A burst of changes costs one write of
// the final state. flush() waits until the files match the last state given.
#include "sharedtext.h"

#include <QString>

#include <array>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

class HistoryWriter {
public:
    static constexpr int Places = 4;

    // One wanted file: the text and an identity (equal identities hold equal texts).
    struct Entry {
        quint64 id = 0;
        SharedText text;
    };
    using State = std::array<std::optional<Entry>, Places>;

    // pathOf(place) names the file of a place; failed(path) is called (on the writer's thread)
    // when a file cannot be written.
    HistoryWriter(std::function<QString(int)> pathOf, std::function<void(const QString &)> failed);
    ~HistoryWriter();  // writes what is pending, then stops
    HistoryWriter(const HistoryWriter &) = delete;
    HistoryWriter &operator=(const HistoryWriter &) = delete;

    // The files should come to hold this state; returns at once. With newestOnly, only the
    // file of place 0 is written: the others may take their place by renaming or be removed,
    // and are written by a later whole post (while typing goes on, the newest text is what a
    // crash would need; the older ones wait for a pause).
    void post(const State &state, bool newestOnly = false);
    // Waits until the files hold the last posted state.
    void flush();
    // Nothing is known about the files any more (another folder): the next state is written
    // whole, and places without a text are removed.
    void forgetFiles();

private:
    void run();
    void bringTo(const State &wanted, bool newestOnly);  // on the writer's thread

    std::function<QString(int)> m_pathOf;
    std::function<void(const QString &)> m_failed;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::optional<State> m_pending;
    bool m_pendingNewestOnly = false;
    quint64 m_posted = 0;    // number of states posted
    quint64 m_finished = 0;  // number of states written
    bool m_busy = false;
    bool m_stop = false;
    std::array<quint64, Places> m_disk{};  // identity on disk per place, 0: no file
    std::thread m_thread;
};

// Writes text as a history file (UTF-8, CR LF line ends) atomically; false on failure.
bool writeHistoryFile(const QString &path, const SharedText &text);

#pragma once
// Crash recovery. While the program runs it holds a lock file of its own in the history
// folder ("tarnell-run-<id>.lock"). A run that ended without its shut-down sequence leaves its
// history files (the newest snapshot in "modo0.tmp") and a lock whose process is gone. The next
// start finds the snapshot and, when no other instance is alive (they share the history files,
// so the snapshot may be theirs), offers to restore it.
#include <QString>

#include <memory>

class QLockFile;

class Recovery {
public:
    explicit Recovery(const QString &historyFolder);
    ~Recovery();  // releases the lock
    Recovery(const Recovery &) = delete;
    Recovery &operator=(const Recovery &) = delete;

    // At start-up, before anything writes the history files: takes this run's lock, removes the
    // locks of runs that are gone and keeps the text of "modo0.tmp". Returns whether that text
    // is there to offer: not empty, and no other instance alive. Calling it again returns the
    // same answer.
    bool acquire();
    // At shut-down, after the history files were deleted.
    void release();

    bool isHeld() const;
    bool otherInstanceAlive() const { return m_othersAlive; }
    // The newest snapshot left by the earlier run; "" when there is nothing to offer.
    const QString &snapshot() const { return m_snapshot; }
    QString lockPath() const;

private:
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QString m_lockPath;
    QString m_snapshot;
    bool m_acquired = false;
    bool m_othersAlive = false;
};

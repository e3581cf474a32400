#pragma once
// Instances and crash recovery.
//
// Every running instance holds one numbered place ("slot") in the history folder: a lock file
// "tarnell-<slot>.lock" and its own set of history files, "modo0.tmp" … "modo3.tmp" for slot 0
// (the first instance) and "modo0-<slot>.tmp" … for the others, plus a small record of the
// document the history belongs to ("modo.inf", "modo-<slot>.inf": path, encoding, line ends).
// An instance never reads, rotates or deletes the files of a slot whose lock is alive.
//
// A run that ended without its shut-down sequence leaves its slot's files and a lock whose
// process is gone. The next start collects what every such run left (holding their slots, so
// that no other start offers the same text), offers each in turn and deletes it once answered;
// its own slot is the first one that is free and holds nothing.
#include "textfile.h"

#include <QString>

#include <map>
#include <memory>
#include <vector>

class QLockFile;

// The newest text of a run that ended without shutting down, and the document it belongs to.
struct RecoveredDocument {
    int slot = -1;
    QString text;
    bool untitled = true;  // also when the run left no record (nothing known about its document)
    QString path;          // the document's file (the template for an untitled one); "" when unknown
    TextFormat format;     // encoding, byte-order mark, line ends (no bytes of origin)
};

// The record written beside the history, and reading it back (path, untitled, format; the
// text and slot of *into are kept). False when the record is incomplete.
QByteArray documentRecord(const QString &path, bool untitled, const TextFormat &format);
bool parseDocumentRecord(const QByteArray &bytes, RecoveredDocument *into, const QByteArray &prefix = QByteArray());
// Reads a record that may have been written while the document was being replaced (see
// Recovery::recordSwitch) and decides which document *into's text belongs to.
bool resolveDocumentRecord(const QByteArray &bytes, RecoveredDocument *into);

class Recovery {
public:
    explicit Recovery(const QString &historyFolder);
    ~Recovery();  // releases every slot still held
    Recovery(const Recovery &) = delete;
    Recovery &operator=(const Recovery &) = delete;

    // At start-up, before anything writes history files: takes the first free slot for this
    // instance and collects (and holds) what runs that are gone left behind. Calling it again
    // does nothing.
    void acquire();
    // This instance's slot; -1 before acquire() or when no lock could be taken (then slot 0's
    // names are used, as by a single instance). Read it after the offers: see discard().
    int slot() const { return m_slot; }
    bool isHeld() const;
    QString folder() const { return m_folder; }

    // What runs that are gone left, by slot; entries leave the list when answered.
    const std::vector<RecoveredDocument> &found() const { return m_found; }
    // The user answered (restored it here, or declined): its files are deleted. If its slot is
    // below this instance's and nothing was recorded yet, this instance moves to it.
    void discard(int slot);
    // Leaves it for a later start (another instance offers it): the hold on it is released.
    void leave(int slot);

    // Records the document this instance edits; written only when something changed. The path
    // is the file Save writes (for an untitled document the template's path).
    void recordDocument(const QString &path, bool untitled, const TextFormat &format);
    // Before the editor's text is replaced by another document's: until recordDocument() follows,
    // the newest snapshot may still be the former document's, and the record says both.
    void recordSwitch(const QString &path, bool untitled, const TextFormat &format);

    // At shut-down, after the history files were deleted: removes the record and the lock.
    void release();

    // Names of a slot's files.
    static QString lockName(int slot);
    static QString recordName(int slot);

private:
    QString filePath(const QString &name) const;
    bool readLeftovers(int slot, RecoveredDocument *into) const;
    void removeSlotFiles(int slot) const;

    QString m_folder;
    int m_slot = -1;
    bool m_acquired = false;
    std::unique_ptr<QLockFile> m_lock;
    std::map<int, std::unique_ptr<QLockFile>> m_held;  // slots of runs that are gone, until answered
    std::vector<RecoveredDocument> m_found;
    QByteArray m_record;  // as last written
};

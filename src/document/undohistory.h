#pragma once
// The undo history, in one of four modes:
//  1 (files): the newest text (place 0) and up to three before it, in the files
//    "modo0.tmp" … "modo3.tmp", plus the text the last undo replaced (for one redo);
//  2 (memory): the same four places in memory;
//  3 (deep): every change as an edit, grouped into steps as users expect, any number of undo
//    and redo steps (bounded by memory), the newest text in "modo0.tmp" for crash recovery;
//  0: none.
// Snapshots are shared texts, so a change costs a little whatever the size of the page; the
// files are written by a thread of their own, a burst of changes at once, shortly after.
#include "sharedtext.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class HistoryWriter;
class QTimer;

// One change of the text: at pos, `removed` gave way to `added`.
struct TextEdit {
    qsizetype pos = 0;
    QString removed;
    QString added;
};

// A selection as the editor keeps it: the anchor and the caret.
struct TextSelection {
    int anchor = 0;
    int position = 0;
    bool operator==(const TextSelection &) const = default;
};

// How a change came about, for grouping steps.
enum class ChangeSource {
    Command,      // a menu, palette or dialog command, a paste, a load: one step each
    Key,          // a character typed or deleted with the keyboard
    InputMethod,  // a conversion committed by the input method
};

struct TextChange {
    std::vector<TextEdit> edits;  // in the order they happened
    TextSelection before;         // selection before the change
    TextSelection after;          // and after it
    ChangeSource source = ChangeSource::Command;
    qint64 time = 0;              // milliseconds, any monotonic clock
};

class UndoHistory : public QObject {
    Q_OBJECT
public:
    enum Mode { Off = 0, Files = 1, Memory = 2, Deep = 3 };
    static constexpr int Places = 4;
    // Typing pauses longer than this start a new step (deep mode).
    static constexpr qint64 PauseMs = 1000;
    // Deep mode drops its oldest steps beyond this many bytes of history.
    static constexpr qint64 DefaultLimitBytes = 200ll * 1024 * 1024;
    // The newest text of a burst of changes reaches its file once typing pauses this long, and
    // at the latest this long after the burst's first change (what a crash can lose).
    static constexpr int WriteQuietMs = 250;
    static constexpr int WriteDelayMs = 1000;
    // The older places follow once typing pauses this long: while it goes on they change with
    // every key, and a crash needs only the newest.
    static constexpr int WriteRestQuietMs = 750;

    UndoHistory();
    ~UndoHistory() override;  // writes what is pending

    // Folder of the history files "modo0.tmp" … "modo3.tmp".
    void setFolder(const QString &folder);
    QString folder() const { return m_folder; }
    // Each running instance keeps its own files (see historyFileName); 0 for the first.
    void setInstance(int instance) { m_instance = instance; }
    int instance() const { return m_instance; }
    QString filePath(int place) const;

    int mode() const { return m_mode; }
    // A new mode takes effect at the next change; leaving or entering deep mode starts its
    // steps afresh (file and memory places stay as they are).
    void setMode(int mode);

    // The change handler's part. current is the whole text after the change.
    void onChange(const SharedText &current, const TextChange &change = {});
    void onChange(const QString &text) { onChange(SharedText(text)); }

    // What undo or redo asks the editor to do: apply the edits in order, then select.
    struct Restore {
        std::vector<TextEdit> edits;
        TextSelection selection;
    };
    // Undo and redo take the editor's current text; they return nothing, changing nothing,
    // when there is nothing to undo or redo. The editor applies the result without running
    // onChange for it.
    std::optional<Restore> undo(const SharedText &current);
    std::optional<Restore> redo(const SharedText &current);
    // The same for a plain editor text (setText puts the new text in place).
    bool undo(const QString &current, const std::function<void(const QString &)> &setText);
    void redo(const std::function<void(const QString &)> &setText);

    // The selection a command left after its change (it may move the caret once the text has
    // changed): kept as the newest step's selection for redo.
    void setStepSelection(const TextSelection &after);

    // The next typed character starts a step of its own (after a save, say).
    void endStep() { m_typingOpen = false; }

    bool canUndo() const;
    bool canRedo() const;
    QString redoText() const { return m_redoText.toString(); }

    // A document was loaded: its text becomes the only snapshot (the file of place 0 is
    // written in the file and deep modes), the earlier places, the steps and the redo text are
    // emptied in every mode, so no undo brings back another document's text.
    void reset(const SharedText &text);
    void reset(const QString &text) { reset(SharedText(text)); }
    // Writes the base snapshot (place 0) without moving the others.
    void writeBase(const SharedText &text);
    void writeBase(const QString &text) { writeBase(SharedText(text)); }
    // Deletes the four files, newest last (modo3 first).
    void removeFiles();

    // Waits until the files hold the history's present state. Done before anything reads them.
    void flush();
    // Starts writing the files now instead of after the delay.
    void writeSoon();
    // Whether files wait for a delay to pass.
    bool writePending() const;

    // Deep mode: number of steps that undo and redo can walk; bytes they hold.
    int undoSteps() const { return int(m_done); }
    int redoSteps() const { return int(m_steps.size() - m_done); }
    qint64 stepBytes() const { return m_stepBytes; }
    void setLimitBytes(qint64 bytes) { m_limitBytes = bytes; }

signals:
    // A history file could not be written (sent from the writer's thread).
    void writeFailed(const QString &path);

private:
    struct Step {
        std::vector<TextEdit> edits;
        TextSelection before, after;
        ChangeSource source = ChangeSource::Command;
        qint64 time = 0;
        qint64 bytes = 0;
    };
    void rotate(const SharedText &current);
    bool mergeTyping(const TextChange &change);
    void pushStep(const TextChange &change);
    void dropOldSteps();
    void clearSteps();
    void filesChanged();
    void writeNewest();
    void postFiles(bool newestOnly);
    quint64 newId() { return ++m_lastId; }

    QString m_folder;
    int m_instance = 0;
    int m_mode = Files;
    bool m_skipNext = false;
    SharedText m_redoText;
    bool m_hasRedo = false;
    // Places 0–3 of the file and the memory history; an empty memory place is no snapshot, a
    // file place without a value is no file.
    struct Snapshot {
        quint64 id = 0;
        SharedText text;
    };
    std::array<std::optional<Snapshot>, Places> m_files;
    std::array<SharedText, Places> m_memory;
    // Deep mode.
    std::deque<Step> m_steps;
    size_t m_done = 0;  // steps [0, m_done) are applied
    qint64 m_stepBytes = 0;
    qint64 m_limitBytes = DefaultLimitBytes;
    bool m_typingOpen = false;  // the newest step may take more typing
    bool m_deepStarted = false;
    quint64 m_lastId = 0;
    QTimer *m_timer = nullptr;      // the newest place
    QTimer *m_restTimer = nullptr;  // every place
    QElapsedTimer m_sinceFirstPending;
    std::unique_ptr<HistoryWriter> m_writer;
};

// The name of a history file: "modo0.tmp" … "modo3.tmp" for the first instance, and
// "modo0-<n>.tmp" … for instance n of several running at the same time.
QString historyFileName(int place, int instance);

// The history folder: the program folder when it is writable, else the per-user data folder.
QString chooseHistoryFolder(const QString &programFolder);

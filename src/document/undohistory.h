#pragma once
// A short history of whole-text snapshots: the newest (place 0) and up to three
// before it, kept in four files or in four strings, plus the text the last undo
// replaced (for one redo).
#include <QString>
#include <array>
#include <functional>

class UndoHistory {
public:
    enum Mode { Off = 0, Files = 1, Memory = 2 };

    // Folder of the history files "modo0.tmp" … "modo3.tmp".
    void setFolder(const QString &folder) { m_folder = folder; }
    QString folder() const { return m_folder; }
    // Each running instance keeps its own files (see historyFileName); 0 for the first.
    void setInstance(int instance) { m_instance = instance; }
    int instance() const { return m_instance; }
    QString filePath(int place) const;

    int mode() const { return m_mode; }
    void setMode(int mode) { m_mode = mode; }

    // The change handler's part: takes a snapshot of text unless the change came
    // from undo (which asks to skip the next one).
    void onChange(const QString &text);
    // Whether the next onChange keeps its text (callers may skip copying it otherwise).
    bool wantsSnapshot() const { return !m_skipNext && (m_mode == Files || m_mode == Memory); }

    // Undo: setText puts the earlier text into the editor (which runs onChange).
    // Returns false, changing nothing, when there is no earlier snapshot.
    bool undo(const QString &current, const std::function<void(const QString &)> &setText);
    // Redo: brings back the text the last undo replaced; the history is emptied.
    void redo(const std::function<void(const QString &)> &setText);

    // Whether place 1 holds a non-empty snapshot (a file check, no read of a large file).
    bool canUndo() const;
    bool canRedo() const { return !m_redoText.isEmpty(); }
    const QString &redoText() const { return m_redoText; }
    const QString &memory(int place) const { return m_memory[place]; }

    // Writes the base snapshot (place 0) without rotating.
    void writeBase(const QString &text);
    // Deletes the four files, newest last (modo3 first).
    void removeFiles();

private:
    void writeFile(int place, const QString &text);

    QString m_folder;
    int m_instance = 0;
    int m_mode = Files;
    bool m_skipNext = false;
    QString m_redoText;
    std::array<QString, 4> m_memory;
};

// The name of a history file: "modo0.tmp" … "modo3.tmp" for the first instance, and
// "modo0-<n>.tmp" … for instance n of several running at the same time.
QString historyFileName(int place, int instance);

// The history folder: the program folder when it is writable, else the per-user data folder.
QString chooseHistoryFolder(const QString &programFolder);

#pragma once
// The editing area and its undo history together: follows every change of the editor as an
// edit (never copying the whole text per keystroke), hands changes to the history with how
// they came about, puts the text back on undo and redo with the caret where it belongs, and
// knows whether the text is the one last saved or loaded.
#include "document/sharedtext.h"
#include "document/undohistory.h"

#include <QObject>

#include <functional>
#include <vector>

class EditArea;

class UndoController : public QObject {
    Q_OBJECT
public:
    explicit UndoController(EditArea *edit, QObject *parent = nullptr);

    UndoHistory &history() { return m_history; }
    // The editor's text as the history follows it.
    const SharedText &text() const { return m_text; }

    // The change handler's part (runs after every change of the text).
    void onTextEdited();
    // A document is about to be loaded into the editor: its text is not followed edit by edit
    // but taken whole by loaded().
    void loading() { m_loading = true; }
    // A document was loaded into the editor: a fresh history with its text as the base, and
    // the text counts as saved.
    void loaded();
    // The text was written to the document's file.
    void saved();
    bool isModified() const { return m_modified; }

    bool undo();
    bool redo();
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }

    // Milliseconds of a monotonic clock, for grouping typed characters (tests set their own).
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

signals:
    // The text became different from the one saved or loaded, or equal to it again.
    void modifiedChanged(bool modified);

private:
    void onContentsEdited(int pos, int removed, int added);
    void rememberSelection();
    TextSelection selection() const;
    void apply(const UndoHistory::Restore &restore);
    void updateModified();

    EditArea *m_edit;
    UndoHistory m_history;
    SharedText m_text;
    SharedText m_saved;
    bool m_modified = false;
    std::vector<TextEdit> m_edits;  // edits since the last change handler
    TextSelection m_selection;      // the selection as last seen
    TextSelection m_before;         // the selection before the pending edits
    ChangeSource m_source = ChangeSource::Command;
    bool m_applying = false;
    bool m_loading = false;
    bool m_afterChange = false;  // the command that made the last change is still running
    std::function<qint64()> m_clock;
};

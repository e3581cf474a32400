#include "undocontroller.h"

#include "platform/editarea.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

qint64 monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

}  // namespace

UndoController::UndoController(EditArea *edit, QObject *parent)
    : QObject(parent), m_edit(edit), m_text(edit->text()), m_clock(monotonicMs)
{
    m_saved = m_text;
    connect(edit, &EditArea::contentsEdited, this, &UndoController::onContentsEdited);
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, &UndoController::rememberSelection);
    connect(edit, &QPlainTextEdit::selectionChanged, this, &UndoController::rememberSelection);
    rememberSelection();
}

TextSelection UndoController::selection() const
{
    return {m_edit->anchorPosition(), m_edit->caretPosition()};
}

void UndoController::rememberSelection()
{
    m_selection = selection();
    // A command may place the caret after its change (a tag pair puts it between the tags).
    if (m_afterChange && m_edits.empty())
        m_history.setStepSelection(m_selection);
}

void UndoController::onContentsEdited(int pos, int removed, int added)
{
    if (m_loading)
        return;
    // The document reports whole blocks at times (and the final paragraph end, which is not
    // part of the text): what it removed is worked out from the lengths before and after.
    const qsizetype length = m_edit->textLength();
    qsizetype at = pos;
    qsizetype add = std::clamp<qsizetype>(added, 0, std::max<qsizetype>(0, length - at));
    qsizetype rem = m_text.size() - (length - add);
    if (at < 0 || at > m_text.size() || rem < 0 || at + rem > m_text.size()) {
        at = 0;  // out of step: take the whole text again
        rem = m_text.size();
        add = length;
    }
    Q_UNUSED(removed);
    QString gone = m_text.mid(at, rem);
    QString come = add > 0 ? m_edit->textRange(int(at), int(add)) : QString();
    // Only what really changed (formatting reports unchanged characters as replaced).
    qsizetype head = 0;
    const qsizetype common = std::min(gone.size(), come.size());
    while (head < common && gone.at(head) == come.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < common - head && gone.at(gone.size() - 1 - tail) == come.at(come.size() - 1 - tail))
        ++tail;
    if (head == gone.size() && head == come.size())
        return;
    TextEdit e;
    e.pos = at + head;
    e.removed = gone.mid(head, gone.size() - head - tail);
    e.added = come.mid(head, come.size() - head - tail);
    m_text.replace(e.pos, e.removed.size(), e.added);
    if (m_edits.empty()) {
        m_before = m_selection;
        switch (m_edit->typing()) {
        case EditArea::Typing::Key: m_source = ChangeSource::Key; break;
        case EditArea::Typing::InputMethod: m_source = ChangeSource::InputMethod; break;
        case EditArea::Typing::None: m_source = ChangeSource::Command; break;
        }
    }
    m_edits.push_back(std::move(e));
}

void UndoController::onTextEdited()
{
    if (m_applying)
        return;
    TextChange change;
    change.edits = std::move(m_edits);
    m_edits.clear();
    change.before = m_before;
    change.after = selection();
    change.source = m_source;
    change.time = m_clock();
    m_history.onChange(m_text, change);
    m_selection = change.after;
    if (!m_afterChange) {
        m_afterChange = true;
        QTimer::singleShot(0, this, [this] { m_afterChange = false; });
    }
    updateModified();
}

void UndoController::loaded()
{
    if (std::exchange(m_loading, false))
        m_text = SharedText(m_edit->text());  // kept by the editor since the load: no copy out of it
    m_afterChange = false;
    m_edits.clear();
    m_history.reset(m_text);
    m_saved = m_text;
    updateModified();
}

void UndoController::saved()
{
    m_history.endStep();  // so that undo comes back to the saved text
    m_saved = m_text;
    updateModified();
}

void UndoController::updateModified()
{
    const bool modified = !m_text.equals(m_saved);
    if (modified != m_modified) {
        m_modified = modified;
        emit modifiedChanged(modified);
    }
}

void UndoController::apply(const UndoHistory::Restore &restore)
{
    m_afterChange = false;
    m_applying = true;
    m_edit->oneChange([&] {
        for (const TextEdit &e : restore.edits)
            m_edit->replaceRange(int(e.pos), int(e.removed.size()), e.added);
    });
    m_applying = false;
    m_edits.clear();
    m_edit->setCaret(restore.selection.anchor, restore.selection.position);
    m_edit->ensureCursorVisible();
    m_selection = selection();
    updateModified();
}

bool UndoController::undo()
{
    const std::optional<UndoHistory::Restore> r = m_history.undo(m_text);
    if (!r)
        return false;
    apply(*r);
    return true;
}

bool UndoController::redo()
{
    const std::optional<UndoHistory::Restore> r = m_history.redo(m_text);
    if (!r)
        return false;
    apply(*r);
    return true;
}

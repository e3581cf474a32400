#include "undohistory.h"

#include "historywriter.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

namespace {

// The one edit that turns `from` into `to` (none when they are equal).
std::vector<TextEdit> editBetween(const SharedText &from, const SharedText &to)
{
    const SharedText::Difference d = from.difference(to);
    TextEdit e;
    e.pos = d.prefix;
    e.removed = from.mid(d.prefix, from.size() - d.prefix - d.suffix);
    e.added = to.mid(d.prefix, to.size() - d.prefix - d.suffix);
    if (e.removed.isEmpty() && e.added.isEmpty())
        return {};
    return {std::move(e)};
}

// Caret after a restore in the snapshot modes: at the end of what changed.
TextSelection caretAfter(const std::vector<TextEdit> &edits, int fallback)
{
    if (edits.empty())
        return {fallback, fallback};
    const int at = int(edits.back().pos + edits.back().added.size());
    return {at, at};
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

qint64 bytesOf(const std::vector<TextEdit> &edits)
{
    qint64 n = 0;
    for (const TextEdit &e : edits)
        n += qint64(sizeof(TextEdit)) + 2 * (e.removed.size() + e.added.size());
    return n;
}

}  // namespace

UndoHistory::UndoHistory()
{
    m_writer = std::make_unique<HistoryWriter>([this](int place) { return filePath(place); },
                                               [this](const QString &path) { emit writeFailed(path); });
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &UndoHistory::writeNewest);
    m_restTimer = new QTimer(this);
    m_restTimer->setSingleShot(true);
    connect(m_restTimer, &QTimer::timeout, this, &UndoHistory::writeSoon);
}

UndoHistory::~UndoHistory()
{
    flush();
    m_writer.reset();
}

void UndoHistory::setFolder(const QString &folder)
{
    flush();
    m_writer->forgetFiles();
    m_folder = folder;
}

QString historyFileName(int place, int instance)
{
    return instance <= 0 ? QStringLiteral("modo%1.tmp").arg(place) : QStringLiteral("modo%1-%2.tmp").arg(place).arg(instance);
}

QString UndoHistory::filePath(int place) const
{
    const QString name = historyFileName(place, m_instance);
    return m_folder.endsWith(QLatin1Char('/')) ? m_folder + name : m_folder + QLatin1Char('/') + name;
}

void UndoHistory::setMode(int mode)
{
    if ((mode == Deep) != (m_mode == Deep))
        clearSteps();
    m_mode = mode;
}

void UndoHistory::filesChanged()
{
    if (!m_timer->isActive())
        m_sinceFirstPending.start();
    const qint64 left = WriteDelayMs - m_sinceFirstPending.elapsed();
    m_timer->start(int(std::clamp<qint64>(left, 0, WriteQuietMs)));
    m_restTimer->start(WriteRestQuietMs);
}

bool UndoHistory::writePending() const
{
    return m_timer->isActive() || m_restTimer->isActive();
}

void UndoHistory::postFiles(bool newestOnly)
{
    HistoryWriter::State state;
    for (int p = 0; p < Places; ++p)
        if (m_files[p])
            state[p] = HistoryWriter::Entry{m_files[p]->id, m_files[p]->text};
    m_writer->post(state, newestOnly);
}

void UndoHistory::writeNewest()
{
    postFiles(true);
}

void UndoHistory::writeSoon()
{
    m_timer->stop();
    m_restTimer->stop();
    postFiles(false);
}

void UndoHistory::flush()
{
    if (writePending())
        writeSoon();
    m_writer->flush();
}

void UndoHistory::rotate(const SharedText &current)
{
    m_files[3] = std::move(m_files[2]);
    m_files[2] = std::move(m_files[1]);
    m_files[1] = std::move(m_files[0]);
    m_files[0] = Snapshot{newId(), current};
    filesChanged();
}

void UndoHistory::onChange(const SharedText &current, const TextChange &change)
{
    if (!m_skipNext) {
        if (m_mode == Files) {
            rotate(current);
        } else if (m_mode == Memory) {
            m_memory[3] = std::move(m_memory[2]);
            m_memory[2] = std::move(m_memory[1]);
            m_memory[1] = std::move(m_memory[0]);
            m_memory[0] = current;
        } else if (m_mode == Deep) {
            if (change.edits.empty()) {
                // Nothing to record when the text stayed as it was; a change whose edits are
                // unknown cannot be walked back over.
                if (!m_files[0] || !m_files[0]->text.equals(current))
                    clearSteps();
            } else if (!mergeTyping(change)) {
                pushStep(change);
            }
            // The newest text is kept for crash recovery.
            m_files[0] = Snapshot{newId(), current};
            filesChanged();
        }
    }
    m_skipNext = false;
}

bool UndoHistory::mergeTyping(const TextChange &change)
{
    if (!m_typingOpen || m_done == 0 || m_done != m_steps.size() || change.source != ChangeSource::Key)
        return false;
    Step &last = m_steps.back();
    if (last.source != ChangeSource::Key || last.edits.size() != 1 || change.edits.size() != 1)
        return false;
    if (change.time - last.time >= PauseMs || change.time < last.time)
        return false;
    TextEdit &old = last.edits.front();
    const TextEdit &add = change.edits.front();
    const QChar newline(QLatin1Char('\n'));
    if (add.removed.isEmpty() && !add.added.isEmpty() && add.added.size() <= 2 && !old.added.isEmpty() &&
        add.pos == old.pos + old.added.size()) {
        // Typing on: a new line or the start of a new word begins a new step.
        const QChar prev = old.added.back();
        if (add.added.contains(newline) || prev == newline || (!isWordChar(prev) && isWordChar(add.added.front())))
            return false;
        old.added += add.added;
    } else if (add.added.isEmpty() && !add.removed.isEmpty() && old.added.isEmpty() && !old.removed.isEmpty() &&
               add.pos + add.removed.size() == old.pos) {
        // Deleting backwards: stops at a line end and where a word begins.
        if (add.removed.contains(newline) || (isWordChar(add.removed.back()) && !isWordChar(old.removed.front())))
            return false;
        old.pos = add.pos;
        old.removed.prepend(add.removed);
    } else {
        return false;
    }
    const qint64 bytes = bytesOf(change.edits);
    last.bytes += bytes;
    m_stepBytes += bytes;
    last.after = change.after;
    last.time = change.time;
    dropOldSteps();
    return true;
}

void UndoHistory::pushStep(const TextChange &change)
{
    // A new change ends the steps that could be redone.
    while (m_steps.size() > m_done) {
        m_stepBytes -= m_steps.back().bytes;
        m_steps.pop_back();
    }
    Step s;
    s.edits = change.edits;
    s.before = change.before;
    s.after = change.after;
    s.source = change.source;
    s.time = change.time;
    s.bytes = qint64(sizeof(Step)) + bytesOf(s.edits);
    m_stepBytes += s.bytes;
    m_steps.push_back(std::move(s));
    m_done = m_steps.size();
    // One typed character (or a deleted one) may be followed by more; a paste by key may not.
    m_typingOpen = change.source == ChangeSource::Key && change.edits.size() == 1 &&
                   change.edits.front().added.size() <= 2;
    dropOldSteps();
}

void UndoHistory::dropOldSteps()
{
    // The oldest steps go first; the newest always stays.
    while (m_stepBytes > m_limitBytes && m_done > 1) {
        m_stepBytes -= m_steps.front().bytes;
        m_steps.pop_front();
        --m_done;
    }
}

void UndoHistory::clearSteps()
{
    m_steps.clear();
    m_done = 0;
    m_stepBytes = 0;
    m_typingOpen = false;
}

void UndoHistory::setStepSelection(const TextSelection &after)
{
    if (m_mode == Deep && m_done > 0 && m_done == m_steps.size())
        m_steps.back().after = after;
}

bool UndoHistory::canUndo() const
{
    if (m_mode == Files)
        return m_files[1] && !m_files[1]->text.isEmpty();
    if (m_mode == Memory)
        return !m_memory[1].isEmpty();
    if (m_mode == Deep)
        return m_done > 0;
    return false;
}

bool UndoHistory::canRedo() const
{
    if (m_mode == Deep)
        return m_done < m_steps.size();
    return m_hasRedo && !m_redoText.isEmpty();
}

std::optional<UndoHistory::Restore> UndoHistory::undo(const SharedText &current)
{
    // The file mode's files are the history as the user may look at it: they are up to date
    // before an undo changes them. (Nothing is read back from them.)
    if (m_mode == Files)
        flush();
    m_typingOpen = false;
    if (m_mode == Deep) {
        if (m_done == 0)
            return std::nullopt;
        const Step &step = m_steps[--m_done];
        Restore r;
        SharedText after = current;
        for (auto it = step.edits.rbegin(); it != step.edits.rend(); ++it) {
            r.edits.push_back(TextEdit{it->pos, it->added, it->removed});
            after.replace(it->pos, it->added.size(), it->removed);
        }
        r.selection = step.before;
        m_files[0] = Snapshot{newId(), after};
        filesChanged();
        return r;
    }
    SharedText earlier;
    if (m_mode == Files) {
        if (!m_files[1])
            return std::nullopt;
        earlier = m_files[1]->text;
        m_files[1] = std::move(m_files[2]);
        m_files[2] = std::move(m_files[3]);
        m_files[3].reset();
        filesChanged();
    } else {
        if (m_memory[1].isEmpty())
            return std::nullopt;
        earlier = m_memory[1];
        m_memory[1] = std::move(m_memory[2]);
        m_memory[2] = std::move(m_memory[3]);
        m_memory[3] = SharedText();
    }
    // Place 0 keeps the text from before the undo: the next change moves it to place 1.
    m_redoText = current;
    m_hasRedo = true;
    Restore r;
    r.edits = editBetween(current, earlier);
    r.selection = caretAfter(r.edits, 0);
    return r;
}

std::optional<UndoHistory::Restore> UndoHistory::redo(const SharedText &current)
{
    if (m_mode == Files)
        flush();
    m_typingOpen = false;
    if (m_mode == Deep) {
        if (m_done >= m_steps.size())
            return std::nullopt;
        const Step &step = m_steps[m_done++];
        Restore r;
        r.edits = step.edits;
        SharedText after = current;
        for (const TextEdit &e : step.edits)
            after.replace(e.pos, e.removed.size(), e.added);
        r.selection = step.after;
        m_files[0] = Snapshot{newId(), after};
        filesChanged();
        return r;
    }
    if (!m_hasRedo)
        return std::nullopt;
    Restore r;
    r.edits = editBetween(current, m_redoText);
    r.selection = caretAfter(r.edits, 0);
    // After a redo the history is empty: the next change starts it again.
    m_redoText = SharedText();
    m_hasRedo = false;
    for (auto &f : m_files)
        f.reset();
    for (SharedText &m : m_memory)
        m = SharedText();
    filesChanged();
    return r;
}

bool UndoHistory::undo(const QString &current, const std::function<void(const QString &)> &setText)
{
    const SharedText now(current);
    const std::optional<Restore> r = undo(now);
    if (!r)
        return false;
    SharedText text = now;
    for (const TextEdit &e : r->edits)
        text.replace(e.pos, e.removed.size(), e.added);
    m_skipNext = true;
    setText(text.toString());
    m_skipNext = false;
    return true;
}

void UndoHistory::redo(const std::function<void(const QString &)> &setText)
{
    if (m_mode == Deep)
        return;
    const SharedText target = m_redoText;
    if (!redo(SharedText()))
        return;
    m_skipNext = true;
    setText(target.toString());
    m_skipNext = false;
}

void UndoHistory::reset(const SharedText &text)
{
    m_skipNext = false;
    m_redoText = SharedText();
    m_hasRedo = false;
    for (SharedText &m : m_memory)
        m = SharedText();
    clearSteps();
    for (auto &f : m_files)
        f.reset();
    if (m_mode == Files || m_mode == Deep)
        m_files[0] = Snapshot{newId(), text};
    if (m_mode == Memory)
        m_memory[0] = text;
    filesChanged();
}

void UndoHistory::writeBase(const SharedText &text)
{
    m_files[0] = Snapshot{newId(), text};
    filesChanged();
}

void UndoHistory::removeFiles()
{
    for (auto &f : m_files)
        f.reset();
    writeSoon();
    m_writer->flush();
}

QString chooseHistoryFolder(const QString &programFolder)
{
    const QFileInfo info(programFolder);
    if (info.isDir() && info.isWritable())
        return programFolder;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data;
}

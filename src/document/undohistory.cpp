#include "undohistory.h"

#include "textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace {

// Snapshots hold the editor's text written as UTF-8, and are read back the same way: they
// are not pages whose encoding is to be guessed (a page declaring, say, HZ would otherwise
// come back with its "~{" read as Chinese). False when the file is missing or unreadable.
bool readSnapshot(const QString &path, QString *text)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    *text = decodeTextFileAs(bytes, TextFormat());
    return true;
}

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

void UndoHistory::writeFile(int place, const QString &text)
{
    // Best effort and cheap (no sync on every keystroke), but never half a snapshot: the
    // text goes to a new file that then takes the snapshot's name.
    const QString target = filePath(place);
    const QString temp = target + QStringLiteral(".new");
    QFile f(temp);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    const QByteArray bytes = encodeTextFile(text, TextFormat());
    const bool written = f.write(bytes) == bytes.size() && f.flush();
    f.close();
    if (!written || std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0)
        QFile::remove(temp);
}

void UndoHistory::onChange(const QString &text)
{
    if (!m_skipNext) {
        if (m_mode == Files) {
            QFile::remove(filePath(3));
            QFile::rename(filePath(2), filePath(3));
            QFile::rename(filePath(1), filePath(2));
            QFile::rename(filePath(0), filePath(1));
            writeFile(0, text);
        } else if (m_mode == Memory) {
            m_memory[3] = std::move(m_memory[2]);
            m_memory[2] = std::move(m_memory[1]);
            m_memory[1] = std::move(m_memory[0]);
            m_memory[0] = text;
        }
    }
    m_skipNext = false;
}

bool UndoHistory::canUndo() const
{
    if (m_mode == Files) {
        // Cheap enough to ask after every keystroke: more than a byte-order mark and one line
        // end always reads as some text, so only tiny files need reading.
        const QFileInfo info(filePath(1));
        if (!info.isFile())
            return false;
        if (info.size() > 5)
            return true;
        QString earlier;
        return readSnapshot(filePath(1), &earlier) && !earlier.isEmpty();
    }
    if (m_mode == Memory)
        return !m_memory[1].isEmpty();
    return false;
}

bool UndoHistory::undo(const QString &current, const std::function<void(const QString &)> &setText)
{
    if (m_mode == Files) {
        QString earlier;
        if (!readSnapshot(filePath(1), &earlier))
            return false;
        m_skipNext = true;
        m_redoText = current;
        setText(earlier);
        m_skipNext = false;
        QFile::remove(filePath(1));
        QFile::rename(filePath(2), filePath(1));
        QFile::rename(filePath(3), filePath(2));
        return true;
    }
    if (m_memory[1].isEmpty())
        return false;
    m_skipNext = true;
    m_redoText = current;
    setText(m_memory[1]);
    m_skipNext = false;
    m_memory[1] = std::move(m_memory[2]);
    m_memory[2] = std::move(m_memory[3]);
    m_memory[3].clear();
    return true;
}

void UndoHistory::redo(const std::function<void(const QString &)> &setText)
{
    setText(m_redoText);
    m_redoText.clear();
    for (int i = 0; i < 4; ++i)
        QFile::remove(filePath(i));
    for (QString &m : m_memory)
        m.clear();
}

void UndoHistory::writeBase(const QString &text)
{
    writeFile(0, text);
}

void UndoHistory::removeFiles()
{
    for (int i = 3; i >= 0; --i)
        QFile::remove(filePath(i));
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

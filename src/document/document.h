#pragma once
// The document being edited: where it lives, how its file is written, whether the text
// differs from what was last read or saved, and whether another program changed the file
// since. The window owns one and asks it; the text itself stays in the editing area.
#include "textfile.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class QFileSystemWatcher;

class Document : public QObject {
    Q_OBJECT
public:
    explicit Document(QObject *parent = nullptr);
    ~Document() override;

    // Full path; the template in the program folder for an untitled document. Also kept in
    // Shared::DocumentPath for the windows that read it.
    const QString &path() const { return m_path; }
    bool isUntitled() const;
    // The name the window caption shows: "無題", the file name, or the path as given.
    const QString &displayName() const { return m_displayName; }
    // The preview file; by default the path followed by "$.tmp".
    const QString &previewPath() const { return m_previewPath; }
    void setPreviewPath(const QString &path) { m_previewPath = path; }

    // Encoding, byte-order mark, line ends and the bytes the file was read from.
    const TextFormat &format() const { return m_format; }
    // From now on written as UTF-8 without a byte-order mark.
    void switchToUtf8();
    // From now on written in this format (another encoding, byte-order mark or line end, see
    // reformat()). A choice of the user makes the document modified until it is saved, even
    // when an undo returns the text to the saved one; byUser false (the new-document settings,
    // or a format put back) leaves the modified state to the text.
    void setFormat(const TextFormat &format, bool byUser = true);
    // The user chose the format since the last load or save.
    bool isFormatChanged() const { return m_formatChanged; }
    // The file held bytes that are not valid text in any supported encoding.
    bool isUnclean() const { return m_unclean; }

    // Reads a file and takes it on: path, format, preview path, unmodified. A file that
    // exists but cannot be read leaves the document as it was (the result says why); a
    // missing file makes an empty document of that path in the default format.
    TextFileRead load(const QString &path, const QString &displayName);
    // The same, decoded in the encoding the user names. When some bytes do not decode
    // (*placeCount > 0, the first of them in places) the document stays as it was.
    TextFileRead loadIn(const QString &path, const QString &displayName, const QByteArray &encoding,
                        std::vector<UndecodablePlace> *places = nullptr, qsizetype *placeCount = nullptr);
    // Writes the text to path; on success the document lives there and is unmodified.
    // On failure *error says why, in Japanese, and nothing changes.
    bool save(const QString &path, const QString &text, QString *error);

    // The modified state, tracked: every change of the text counts, load and save reset it.
    bool isModified() const { return m_modified; }
    void setModified(bool modified);
    // A change of the text: a new revision, modified.
    void noteChange();
    // The text as it stands is the saved one.
    void markSaved();
    // Counts changes of the text; savedRevision() is the revision last loaded or saved, so
    // an undo history can tell when it returns to the saved text.
    quint64 revision() const { return m_revision; }
    quint64 savedRevision() const { return m_savedRevision; }

    // The question asked before the text is dropped: for a new or another document, or on
    // quitting. Asked only while the document is modified.
    enum class Leaving { ForAnother, Quitting };
    static QString savePromptText(Leaving leaving);

    // Another program changed (or removed) the file since it was last read or written.
    bool isChangedOnDisk() const;
    // Such a change the user has not been told about yet.
    bool hasUnseenDiskChange() const;
    // The user has been told: no more reports until the file changes again. Saving still
    // counts the change (isChangedOnDisk) until the document is written or read again.
    void markDiskChangeSeen();

signals:
    void modifiedChanged(bool modified);
    void pathChanged(const QString &path);
    // The watched file changed on disk (also for the document's own saves; ask
    // isChangedOnDisk()).
    void fileChanged();

private:
    struct DiskStamp {
        bool exists = false;
        qint64 size = -1;
        QDateTime modified;
        bool operator==(const DiskStamp &) const = default;
    };
    static DiskStamp stampOf(const QString &path);
    void setPath(const QString &path, const QString &displayName);
    void watch();
    // Takes on what was read from path.
    void takeOn(const TextFileRead &r, const QString &path, const QString &displayName);

    QString m_path;
    QString m_displayName;
    QString m_previewPath;
    TextFormat m_format;
    bool m_unclean = false;
    bool m_modified = false;
    bool m_formatChanged = false;  // the user chose another format since the last load or save
    quint64 m_revision = 0;
    quint64 m_savedRevision = 0;
    DiskStamp m_disk;  // the file as last read or written
    DiskStamp m_seen;  // the file as last reported
    QFileSystemWatcher *m_watcher = nullptr;
};

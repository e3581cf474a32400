#pragma once
// Search in files: every file of a folder (and its subfolders) whose name fits a filter,
// read with the same encoding detection as Open and searched with the matching engine.
// Runs in a worker thread that can be stopped; binary files and very large files are
// skipped and counted.
#include "editing/matcher.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>

struct GrepHit {
    QString path;
    int line = 0;       // 1-based
    int column = 0;     // 0-based in the line
    int length = 0;     // of the match within the line
    int position = 0;   // of the match in the file's text as the editor holds it
    int matchLength = 0;
    QString lineText;   // the line (shortened around the match when very long)
    int shownColumn = 0;  // where the match starts in lineText
};

struct GrepSummary {
    int filesSearched = 0;
    int filesMatched = 0;
    int hits = 0;
    int skippedBinary = 0;
    int skippedLarge = 0;
    int unreadable = 0;
    bool stopped = false;
    QString error;  // an invalid or too complex pattern
};

struct GrepQuery {
    QString pattern;
    Search::Options options;
    QString folder;
    QString filter = QStringLiteral("*.htm;*.html;*.css;*.js;*.txt");
    bool subfolders = true;
};

namespace Grep {
constexpr qint64 MaxFileSize = 50LL * 1024 * 1024;

// "*.htm; *.html" -> {"*.htm", "*.html"}; empty -> {"*"}.
QStringList filterPatterns(const QString &filter);
// Text files may hold NUL bytes only as UTF-16 with a byte-order mark.
bool looksBinary(const QByteArray &bytes);
// The hits of one file's text (line ends already "\n").
QList<GrepHit> searchText(const QString &path, const QString &text, Search::Matcher &matcher);
// The one-line summary shown under the results.
QString summaryText(const GrepSummary &s);
}

class GrepRun : public QThread {
    Q_OBJECT
public:
    explicit GrepRun(const GrepQuery &query, QObject *parent = nullptr);
    ~GrepRun() override;
    void stop() { m_stop = true; }
    const GrepSummary &summary() const { return m_summary; }  // after finished()

signals:
    void found(const QList<GrepHit> &hits);
    void progress(int filesSearched, const QString &currentFile);

protected:
    void run() override;

private:
    GrepQuery m_query;
    GrepSummary m_summary;
    std::atomic_bool m_stop{false};
};

Q_DECLARE_METATYPE(GrepHit)

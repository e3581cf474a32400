#include "grep.h"

#include "document/textfile.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace Grep {

namespace {
// Lines longer than this are shown as a stretch around the match.
constexpr int ShownLine = 240;
constexpr int ShownBefore = 60;
}

QStringList filterPatterns(const QString &filter)
{
    QStringList out;
    for (const QString &part : filter.split(QRegularExpression(QStringLiteral("[;,\\s]+")), Qt::SkipEmptyParts))
        out << part;
    if (out.isEmpty())
        out << QStringLiteral("*");
    return out;
}

bool looksBinary(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return false;
    return QByteArrayView(bytes).first(qMin<qsizetype>(bytes.size(), 8192)).contains('\0');
}

QList<GrepHit> searchText(const QString &path, const QString &text, Search::Matcher &matcher)
{
    QList<GrepHit> hits;
    matcher.setText(text);
    int line = 1, lineStart = 0, scanned = 0;
    int from = 0;
    bool skip = false;
    for (;;) {
        const Search::Match m = matcher.find(from, skip);
        if (!m.found())
            break;
        from = m.end();
        skip = m.length == 0;
        // Count the line breaks up to the match, once over the text.
        for (; scanned < m.start; ++scanned) {
            if (text.at(scanned) == u'\n') {
                ++line;
                lineStart = scanned + 1;
            }
        }
        qsizetype lineEnd = text.indexOf(u'\n', m.start);
        if (lineEnd < 0)
            lineEnd = text.size();
        GrepHit h;
        h.path = path;
        h.line = line;
        h.column = m.start - lineStart;
        h.position = m.start;
        h.matchLength = m.length;
        h.length = int(qMin<qsizetype>(m.end(), lineEnd)) - m.start;
        const int lineLength = int(lineEnd) - lineStart;
        if (lineLength <= ShownLine) {
            h.lineText = text.mid(lineStart, lineLength);
            h.shownColumn = h.column;
        } else {
            const int shownFrom = qMax(0, h.column - ShownBefore);
            h.lineText = text.mid(lineStart + shownFrom, qMin(ShownLine, lineLength - shownFrom));
            h.shownColumn = h.column - shownFrom;
            if (shownFrom > 0) {
                h.lineText.prepend(QStringLiteral("…"));
                ++h.shownColumn;
            }
        }
        hits << h;
    }
    return hits;
}

QString summaryText(const GrepSummary &s)
{
    QString t = QStringLiteral("%1 ファイル中 %2 ファイルで %3 件見つかりました。")
                    .arg(s.filesSearched).arg(s.filesMatched).arg(s.hits);
    if (s.skippedBinary > 0)
        t += QStringLiteral(" バイナリファイル %1 件を飛ばしました。").arg(s.skippedBinary);
    if (s.skippedLarge > 0)
        t += QStringLiteral(" 50 MB を超えるファイル %1 件を飛ばしました。").arg(s.skippedLarge);
    if (s.unreadable > 0)
        t += QStringLiteral(" 読めないファイル %1 件がありました。").arg(s.unreadable);
    if (s.stopped)
        t += QStringLiteral("（中止しました）");
    return t;
}

}

GrepRun::GrepRun(const GrepQuery &query, QObject *parent) : QThread(parent), m_query(query)
{
    qRegisterMetaType<QList<GrepHit>>();
}

GrepRun::~GrepRun()
{
    m_stop = true;
    wait();
}

void GrepRun::run()
{
    Search::Matcher matcher(m_query.pattern, m_query.options);
    if (!matcher.isValid()) {
        m_summary.error = matcher.errorText();
        return;
    }
    const QDirIterator::IteratorFlags flags =
        m_query.subfolders ? QDirIterator::Subdirectories | QDirIterator::FollowSymlinks : QDirIterator::NoIteratorFlags;
    QDirIterator it(m_query.folder, Grep::filterPatterns(m_query.filter), QDir::Files | QDir::Readable,
                    flags);
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    while (it.hasNext()) {
        if (m_stop) {
            m_summary.stopped = true;
            break;
        }
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.size() > Grep::MaxFileSize) {
            ++m_summary.skippedLarge;
            continue;
        }
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            ++m_summary.unreadable;
            continue;
        }
        const QByteArray bytes = f.readAll();
        f.close();
        if (Grep::looksBinary(bytes)) {
            ++m_summary.skippedBinary;
            continue;
        }
        ++m_summary.filesSearched;
        const QString text = decodeTextFile(bytes).text;
        const QList<GrepHit> hits = Grep::searchText(path, text, matcher);
        if (matcher.gaveUp()) {
            m_summary.error = matcher.errorText();
            break;
        }
        if (!hits.isEmpty()) {
            ++m_summary.filesMatched;
            m_summary.hits += int(hits.size());
            emit found(hits);
        }
        if (sinceProgress.elapsed() >= 100) {
            sinceProgress.restart();
            emit progress(m_summary.filesSearched, path);
        }
    }
    emit progress(m_summary.filesSearched, QString());
}

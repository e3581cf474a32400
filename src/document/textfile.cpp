#include "textfile.h"

#include "encoding.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringView>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

const qint64 kMaxFileSize = 256LL * 1024 * 1024;  // larger files are not opened for editing
const qint64 kWriteChunk = 1024 * 1024;

int g_spliceFallbacks = 0;

std::function<void(qint64)> &chunkHook()
{
    static std::function<void(qint64)> hook;
    return hook;
}

}  // namespace

const char *lineEndBytes(LineEnd e)
{
    switch (e) {
    case LineEnd::LF: return "\n";
    case LineEnd::CR: return "\r";
    case LineEnd::CRLF: break;
    }
    return "\r\n";
}

namespace {

struct LineEnds {
    LineEnd style = LineEnd::CRLF;
    bool finalLineEnd = false;
};

// Turns CR LF, CR and LF into "\n" in place, drops the line end after the last line and tells
// which line end was the most frequent.
LineEnds normalizeLineEnds(QString &s)
{
    LineEnds r;
    const qsizetype n = s.size();
    if (n == 0)
        return r;
    qsizetype crlf = 0, lf = 0, cr = 0;
    if (!s.contains(QLatin1Char('\r'))) {
        lf = s.count(QLatin1Char('\n'));
    } else {
        QChar *d = s.data();
        qsizetype w = 0;
        for (qsizetype i = 0; i < n; ++i) {
            const char16_t c = d[i].unicode();
            if (c == u'\r') {
                if (i + 1 < n && d[i + 1].unicode() == u'\n') {
                    ++crlf;
                    ++i;
                } else {
                    ++cr;
                }
                d[w++] = QLatin1Char('\n');
            } else {
                if (c == u'\n')
                    ++lf;
                d[w++] = d[i];
            }
        }
        s.truncate(w);
    }
    if (lf > crlf && lf >= cr)
        r.style = LineEnd::LF;
    else if (cr > crlf && cr > lf)
        r.style = LineEnd::CR;
    else
        r.style = LineEnd::CRLF;
    r.finalLineEnd = s.endsWith(QLatin1Char('\n'));
    if (r.finalLineEnd)
        s.chop(1);
    return r;
}

}  // namespace

QString withLineEnds(QStringView text, LineEnd e)
{
    if (e == LineEnd::LF)
        return text.toString();
    QString t = text.toString();
    t.replace(QLatin1Char('\n'), QLatin1String(lineEndBytes(e)));
    return t;
}

namespace {

// --- writing back what was read --------------------------------------------------------------

struct LineSpan {
    qsizetype start, end;  // the line's characters, without its line end
};

struct ByteLine {
    qsizetype start, contentEnd, end;  // end includes the line end's bytes
};

std::vector<LineSpan> splitText(QStringView t)
{
    std::vector<LineSpan> lines;
    qsizetype from = 0;
    for (;;) {
        const qsizetype i = t.indexOf(QLatin1Char('\n'), from);
        if (i < 0) {
            lines.push_back({from, t.size()});
            return lines;
        }
        lines.push_back({from, i});
        from = i + 1;
    }
}

// The lines of the file's bytes (after a byte-order mark); the piece after a final line end is
// dropped, as reading drops it from the text.
std::vector<ByteLine> splitBytes(const QByteArray &bytes, qsizetype from, bool utf16, bool littleEndian,
                                 bool finalLineEnd)
{
    std::vector<ByteLine> lines;
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    const int unit = utf16 ? 2 : 1;
    auto at = [&](qsizetype i) -> unsigned {
        if (!utf16)
            return s[i];
        return littleEndian ? unsigned(s[i] | (s[i + 1] << 8)) : unsigned((s[i] << 8) | s[i + 1]);
    };
    qsizetype start = from;
    qsizetype i = from;
    while (i + unit <= n) {
        const unsigned c = at(i);
        if (c == '\r' || c == '\n') {
            qsizetype end = i + unit;
            if (c == '\r' && end + unit <= n && at(end) == '\n')
                end += unit;
            lines.push_back({start, i, end});
            start = i = end;
        } else {
            i += unit;
        }
    }
    lines.push_back({start, n, n});
    if (finalLineEnd && lines.size() > 1 && lines.back().start == n)
        lines.pop_back();
    return lines;
}

using Pairs = std::vector<std::pair<qsizetype, qsizetype>>;

// The equal lines of old [a0, a1) and new [b0, b1) along a shortest edit script, when one needs
// at most maxD inserted and deleted lines (Myers' algorithm); false otherwise.
template <typename Equal>
bool shortestEdit(const Equal &equal, qsizetype a0, qsizetype a1, qsizetype b0, qsizetype b1, qsizetype maxD,
                  Pairs &pairs)
{
    const qsizetype n = a1 - a0, m = b1 - b0;
    const qsizetype off = maxD + 1;
    std::vector<qsizetype> v(size_t(2 * maxD + 3), 0);
    std::vector<std::vector<qsizetype>> trace;  // trace[d]: v[-d-1 … d+1] before step d
    for (qsizetype d = 0; d <= maxD; ++d) {
        trace.emplace_back(v.begin() + (off - d - 1), v.begin() + (off + d + 2));
        for (qsizetype k = -d; k <= d; k += 2) {
            qsizetype x = (k == -d || (k != d && v[size_t(off + k - 1)] < v[size_t(off + k + 1)]))
                              ? v[size_t(off + k + 1)]
                              : v[size_t(off + k - 1)] + 1;
            qsizetype y = x - k;
            while (x < n && y < m && equal(a0 + x, b0 + y)) {
                ++x;
                ++y;
            }
            v[size_t(off + k)] = x;
            if (x < n || y < m)
                continue;
            // Walk back from the end, collecting the diagonal steps.
            for (qsizetype e = d; e >= 0; --e) {
                const std::vector<qsizetype> &t = trace[size_t(e)];
                auto at = [&](qsizetype kk) { return t[size_t(kk + e + 1)]; };
                const qsizetype kk = x - y;
                qsizetype px = 0, py = 0;
                if (e > 0) {
                    const qsizetype pk = (kk == -e || (kk != e && at(kk - 1) < at(kk + 1))) ? kk + 1 : kk - 1;
                    px = at(pk);
                    py = px - pk;
                }
                while (x > px && y > py) {
                    --x;
                    --y;
                    pairs.push_back({a0 + x, b0 + y});
                }
                x = px;
                y = py;
            }
            return true;
        }
    }
    return false;
}

// Equal lines of the old and the new text, increasing on both sides: the common head and tail
// first, then lines that occur exactly once on each side as anchors, recursively between them;
// between anchors where no line is unique (repeated lines), a shortest edit script.
Pairs matchLines(QStringView a, const std::vector<LineSpan> &la, QStringView b, const std::vector<LineSpan> &lb)
{
    auto lineA = [&](qsizetype i) { return a.sliced(la[size_t(i)].start, la[size_t(i)].end - la[size_t(i)].start); };
    auto lineB = [&](qsizetype i) { return b.sliced(lb[size_t(i)].start, lb[size_t(i)].end - lb[size_t(i)].start); };
    std::vector<size_t> hashA(la.size()), hashB(lb.size());
    for (size_t i = 0; i < la.size(); ++i)
        hashA[i] = qHash(lineA(qsizetype(i)));
    for (size_t i = 0; i < lb.size(); ++i)
        hashB[i] = qHash(lineB(qsizetype(i)));
    auto equal = [&](qsizetype i, qsizetype j) { return hashA[size_t(i)] == hashB[size_t(j)] && lineA(i) == lineB(j); };

    struct Range {
        qsizetype a0, a1, b0, b1;
    };
    struct Count {
        qsizetype na = 0, nb = 0, ia = -1;
    };
    Pairs pairs;
    std::vector<Range> work{{0, qsizetype(la.size()), 0, qsizetype(lb.size())}};
    qint64 budget = 8 * qint64(la.size() + lb.size()) + 1000000;
    while (!work.empty()) {
        Range r = work.back();
        work.pop_back();
        while (r.a0 < r.a1 && r.b0 < r.b1 && equal(r.a0, r.b0))
            pairs.push_back({r.a0++, r.b0++});
        while (r.a0 < r.a1 && r.b0 < r.b1 && equal(r.a1 - 1, r.b1 - 1))
            pairs.push_back({--r.a1, --r.b1});
        if (r.a0 >= r.a1 || r.b0 >= r.b1)
            continue;
        budget -= (r.a1 - r.a0) + (r.b1 - r.b0);
        if (budget < 0)
            continue;  // what is left is written anew
        QHash<QStringView, Count> counts;
        counts.reserve(r.a1 - r.a0);
        for (qsizetype i = r.a0; i < r.a1; ++i) {
            Count &c = counts[lineA(i)];
            ++c.na;
            c.ia = i;
        }
        for (qsizetype j = r.b0; j < r.b1; ++j) {
            auto it = counts.find(lineB(j));
            if (it != counts.end())
                ++it->nb;
        }
        Pairs anchors;  // (old, new), in new order
        for (qsizetype j = r.b0; j < r.b1; ++j) {
            auto it = counts.constFind(lineB(j));
            if (it != counts.cend() && it->na == 1 && it->nb == 1)
                anchors.push_back({it->ia, j});
        }
        if (anchors.empty()) {
            const qsizetype size = (r.a1 - r.a0) + (r.b1 - r.b0);
            const qsizetype maxD = std::clamp<qsizetype>(20000000 / size, 16, 2000);
            shortestEdit(equal, r.a0, r.a1, r.b0, r.b1, std::min(maxD, size), pairs);
            continue;
        }
        // Longest run of anchors increasing on the old side too.
        std::vector<qsizetype> tails, prev(anchors.size(), -1);
        for (qsizetype k = 0; k < qsizetype(anchors.size()); ++k) {
            auto pos = std::lower_bound(tails.begin(), tails.end(), anchors[size_t(k)].first,
                                        [&](qsizetype t, qsizetype v) { return anchors[size_t(t)].first < v; });
            if (pos != tails.begin())
                prev[size_t(k)] = *(pos - 1);
            if (pos == tails.end())
                tails.push_back(k);
            else
                *pos = k;
        }
        Pairs chain;
        for (qsizetype k = tails.back(); k >= 0; k = prev[size_t(k)])
            chain.push_back(anchors[size_t(k)]);
        std::reverse(chain.begin(), chain.end());
        qsizetype pa = r.a0, pb = r.b0;
        for (const auto &[ia, ib] : chain) {
            work.push_back({pa, ia, pb, ib});
            pairs.push_back({ia, ib});
            pa = ia + 1;
            pb = ib + 1;
        }
        work.push_back({pa, r.a1, pb, r.b1});
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

class Splicer {
public:
    Splicer(const TextFileOrigin &origin, TextCodec &codec, const TextFormat &format, QStringView text)
        : o(origin), codec(codec), f(format), newText(text)
    {
    }

    // False when the origin's lines cannot be matched with its bytes.
    bool run(QByteArray *out, qsizetype *unencodable)
    {
        oldLines = splitText(o.text);
        const QByteArray bom = o.bom ? codec.byteOrderMark() : QByteArray();
        const bool le = codec.name() == "UTF-16LE";
        oldBytes = splitBytes(o.bytes, bom.size(), codec.isUtf16(), le, o.finalLineEnd);
        if (oldLines.size() != oldBytes.size())
            return false;
        newLines = splitText(newText);
        eolText = QString::fromLatin1(lineEndBytes(f.lineEnd));
        eolBytes = codec.encode(eolText);
        crBytes = codec.encode(u"\r");
        lfBytes = codec.encode(u"\n");
        result.reserve(o.bytes.size() + 1024);
        result += bom;

        const Pairs pairs = matchLines(o.text, oldLines, newText, newLines);
        qsizetype ia = 0, ib = 0;
        for (const auto &[pa, pb] : pairs) {
            changed(ia, pa, ib, pb);
            const ByteLine &bl = oldBytes[size_t(pa)];
            put(o.bytes.constData() + bl.start, bl.contentEnd - bl.start);
            terminator(pa, pb);
            ia = pa + 1;
            ib = pb + 1;
        }
        changed(ia, qsizetype(oldLines.size()), ib, qsizetype(newLines.size()));
        *out = std::move(result);
        *unencodable = bad;
        return true;
    }

private:
    // Appends bytes. Where a CR (kept from the file) would meet an LF (of an empty line kept from
    // the file, or a new line end) the two would read as one CR LF: the LF becomes CR LF.
    void put(const char *data, qsizetype size)
    {
        if (size <= 0)
            return;
        if (result.endsWith(crBytes) && QByteArrayView(data, size).startsWith(lfBytes))
            result += crBytes;
        result.append(data, size);
    }
    void put(const QByteArray &bytes) { put(bytes.constData(), bytes.size()); }

    QStringView oldLine(qsizetype i) const
    {
        const LineSpan &l = oldLines[size_t(i)];
        return QStringView(o.text).sliced(l.start, l.end - l.start);
    }

    void terminator(qsizetype oldIndex, qsizetype newIndex)
    {
        if (newIndex + 1 >= qsizetype(newLines.size()) && !f.finalLineEnd)
            return;
        if (oldIndex >= 0) {
            const ByteLine &bl = oldBytes[size_t(oldIndex)];
            if (bl.end > bl.contentEnd) {
                put(o.bytes.constData() + bl.contentEnd, bl.end - bl.contentEnd);
                return;
            }
        }
        put(eolBytes);
    }

    void encodeNew(QStringView s)
    {
        if (s.isEmpty())
            return;
        qsizetype n = 0;
        put(codec.encode(f.lineEnd == LineEnd::LF ? s : QStringView(withLineEnds(s, f.lineEnd)), &n));
        bad += n;
    }

    // Old lines [i0, i1) became new lines [j0, j1).
    void changed(qsizetype i0, qsizetype i1, qsizetype j0, qsizetype j1)
    {
        if (j0 >= j1)
            return;  // lines deleted
        const qsizetype nStart = newLines[size_t(j0)].start;
        const QStringView n = newText.sliced(nStart, newLines[size_t(j1 - 1)].end - nStart);
        if (i0 >= i1 || codec.isStateful()) {
            encodeNew(n);
            terminator(i1 > i0 ? i1 - 1 : -1, j1 - 1);
            return;
        }
        // Keep the bytes of the unchanged start of the first line and end of the last line.
        const qsizetype oStart = oldLines[size_t(i0)].start;
        const QStringView old = QStringView(o.text).sliced(oStart, oldLines[size_t(i1 - 1)].end - oStart);
        const QStringView first = oldLine(i0), last = oldLine(i1 - 1);
        qsizetype p = 0;
        const qsizetype maxP = std::min({first.size(), n.size()});
        while (p < maxP && old[p] == n[p])
            ++p;
        qsizetype s = 0;
        const qsizetype maxS = std::min({last.size(), old.size() - p, n.size() - p});
        while (s < maxS && old[old.size() - 1 - s] == n[n.size() - 1 - s])
            ++s;

        const ByteLine &fb = oldBytes[size_t(i0)];
        const ByteLine &lb = oldBytes[size_t(i1 - 1)];
        // Byte offset of every character of an old line; empty when the line does not decode
        // back to its text on its own.
        auto offsetsOf = [&](const ByteLine &bl, QStringView line) {
            std::vector<qsizetype> offsets;
            const QString dec = codec.decode(o.bytes.constData() + bl.start, bl.contentEnd - bl.start, nullptr, &offsets);
            if (dec != line)
                offsets.clear();
            return offsets;
        };
        std::vector<qsizetype> firstOffsets, lastOffsets;
        qsizetype byteP = 0;
        if (p > 0) {
            firstOffsets = offsetsOf(fb, first);
            if (firstOffsets.empty()) {
                p = 0;
            } else {
                while (p > 0 && p < first.size() && firstOffsets[size_t(p)] == firstOffsets[size_t(p - 1)])
                    --p;
                byteP = p == first.size() ? fb.contentEnd - fb.start : firstOffsets[size_t(p)];
            }
        }
        qsizetype byteQ = lb.contentEnd - lb.start;
        if (s > 0) {
            lastOffsets = (i1 - 1 == i0 && p > 0) ? firstOffsets : offsetsOf(lb, last);
            qsizetype q = last.size() - s;
            if (lastOffsets.empty()) {
                q = last.size();
            } else {
                while (q > 0 && q < last.size() && lastOffsets[size_t(q)] == lastOffsets[size_t(q - 1)])
                    ++q;
                if (q < last.size())
                    byteQ = lastOffsets[size_t(q)];
            }
            s = last.size() - q;
        }
        put(o.bytes.constData() + fb.start, byteP);
        encodeNew(n.sliced(p, n.size() - p - s));
        put(o.bytes.constData() + lb.start + byteQ, lb.contentEnd - lb.start - byteQ);
        terminator(i1 - 1, j1 - 1);
    }

    const TextFileOrigin &o;
    TextCodec &codec;
    const TextFormat &f;
    QStringView newText;
    std::vector<LineSpan> oldLines, newLines;
    std::vector<ByteLine> oldBytes;
    QString eolText;
    QByteArray eolBytes, crBytes, lfBytes;
    QByteArray result;
    qsizetype bad = 0;
};

bool sameEncoding(const QByteArray &a, const QByteArray &b)
{
    return canonicalEncoding(a) == canonicalEncoding(b);
}

// Whether the file had line ends other than its most frequent one.
bool hasMixedLineEnds(const TextFileOrigin &o, TextCodec &codec)
{
    const QByteArray bom = o.bom ? codec.byteOrderMark() : QByteArray();
    const std::vector<ByteLine> lines =
        splitBytes(o.bytes, bom.size(), codec.isUtf16(), codec.name() == "UTF-16LE", o.finalLineEnd);
    const int want = o.lineEnd == LineEnd::CRLF ? 2 : 1;
    const int unit = codec.isUtf16() ? 2 : 1;
    for (const ByteLine &l : lines) {
        const qsizetype len = (l.end - l.contentEnd) / unit;
        if (len == 0)
            continue;
        if (len != want)
            return true;
        if (want == 1) {
            const char c = o.bytes[l.contentEnd + (unit == 2 && codec.name() == "UTF-16BE" ? 1 : 0)];
            if ((c == '\r') != (o.lineEnd == LineEnd::CR))
                return true;
        }
    }
    return false;
}

std::function<bool(const QString &)> &readOnlyCheck()
{
    static std::function<bool(const QString &)> check;
    return check;
}

// Whether the file, or the nearest folder of it that exists, lies on a file system mounted
// read-only (a write there fails whatever the permissions say).
bool onReadOnlyFileSystem(const QString &path)
{
    if (readOnlyCheck())
        return readOnlyCheck()(path);
    QString probe = QFileInfo(path).absoluteFilePath();
    for (;;) {
        struct statvfs vfs {};
        if (::statvfs(QFile::encodeName(probe).constData(), &vfs) == 0)
            return (vfs.f_flag & ST_RDONLY) != 0;
        const QString parent = QFileInfo(probe).absolutePath();
        if (parent == probe)
            return false;
        probe = parent;
    }
}

// Japanese reason for a failed save, with the system's own words after it.
QString describeWriteFailure(const QString &path, const QString &detail)
{
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    QString reason;
    if (onReadOnlyFileSystem(path))
        reason = QStringLiteral("読み取り専用のファイルシステムです。");
    else if (info.isDir())
        reason = QStringLiteral("同じ名前のフォルダーがあります。");
    else if (!folder.exists())
        reason = QStringLiteral("保存先のフォルダーがありません。");
    else if (!folder.isWritable())
        reason = QStringLiteral("保存先のフォルダーに書き込む権限がありません。");
    else if (info.exists() && !info.isWritable())
        reason = QStringLiteral("ファイルが読み取り専用です。");
    else
        reason = QStringLiteral("書き込み中にエラーが起きました。ディスクの空き容量が足りない可能性があります。");
    if (!detail.isEmpty())
        reason += QStringLiteral("（%1）").arg(detail);
    if (info.isFile())
        reason += QStringLiteral("\n元のファイルは変更されていません。");
    return reason;
}

// Remembers the bytes a document was read from, for writing back what the user did not change.
void keepOrigin(TextFileRead &r, const QByteArray &bytes)
{
    auto origin = std::make_shared<TextFileOrigin>();
    origin->bytes = bytes;
    origin->text = r.text;
    origin->encoding = r.format.encoding;
    origin->bom = r.format.bom;
    origin->lineEnd = r.format.lineEnd;
    origin->finalLineEnd = r.format.finalLineEnd;
    r.format.origin = std::move(origin);
}

// Why a path that names no file cannot be opened; "" when it is simply missing (a new document).
QString describeUnreachable(const QString &path)
{
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) == 0)
        return {};
    const int err = errno;
    if (err == ELOOP)
        return QStringLiteral("シンボリックリンクが循環しています（リンクをたどると元のリンクに戻ります）。");
    if (err == ENOENT || err == ENOTDIR) {
        const QFileInfo info(path);
        if (info.isSymLink())
            return QStringLiteral("シンボリックリンクの指す先「%1」がありません。").arg(info.symLinkTarget());
        return {};
    }
    if (err == EACCES)
        return QStringLiteral("ファイルのあるフォルダーを開く権限がありません。");
    if (err == ENAMETOOLONG)
        return QStringLiteral("ファイルの名前が長すぎます。");
    return QStringLiteral("ファイルを開けませんでした（%1）。").arg(QString::fromLocal8Bit(std::strerror(err)));
}

}  // namespace

// --- reading ---------------------------------------------------------------------------------

TextFileRead decodeTextFile(const QByteArray &bytes)
{
    TextFileRead r;
    r.status = TextFileRead::Ok;
    Decoded d = decodeBytes(bytes);
    r.clean = d.clean;
    const LineEnds ends = normalizeLineEnds(d.text);
    r.format.encoding = d.encoding;
    r.format.bom = d.bom;
    r.format.lineEnd = ends.style;
    r.format.finalLineEnd = ends.finalLineEnd;
    r.text = std::move(d.text);
    keepOrigin(r, bytes);
    return r;
}

TextFileRead decodeTextFileIn(const QByteArray &bytes, const QByteArray &encoding,
                              std::vector<UndecodablePlace> *places, qsizetype *placeCount, int maxPlaces)
{
    TextFileRead r;
    r.status = TextFileRead::Ok;
    TextCodec codec(encoding);
    const QByteArray bom = codec.byteOrderMark();
    const bool hasBom = !bom.isEmpty() && bytes.startsWith(bom);
    const qsizetype skip = hasBom ? bom.size() : 0;
    const char *data = bytes.constData() + skip;
    const qsizetype size = bytes.size() - skip;

    bool clean = true;
    r.text = decodeAs(QByteArray::fromRawData(data, size), codec.isValid() ? codec.name() : encoding, &clean);
    // Where the bytes do not decode: a second pass, only when there are such bytes.
    qsizetype total = 0;
    std::vector<qsizetype> offsets;
    if (!clean || !codec.isValid()) {
        offsets = codec.errorOffsets(data, size, maxPlaces, &total);
        total = std::max<qsizetype>(total, 1);
    }
    if (placeCount)
        *placeCount = total;
    if (places) {
        places->clear();
        // Line and column of each place: lines end at CR LF, CR or LF (in UTF-16, as code units).
        const int unit = codec.isUtf16() ? 2 : 1;
        const bool le = codec.name() == "UTF-16LE";
        auto at = [&](qsizetype i) -> unsigned {
            const auto *u = reinterpret_cast<const unsigned char *>(data);
            if (unit == 1)
                return u[i];
            return le ? unsigned(u[i] | (u[i + 1] << 8)) : unsigned((u[i] << 8) | u[i + 1]);
        };
        qsizetype line = 1, lineStart = 0, i = 0;
        for (const qsizetype off : offsets) {
            while (i + unit <= off) {
                const unsigned c = at(i);
                i += unit;
                if (c == '\r' && i + unit <= size && at(i) == '\n' && i + unit <= off)
                    i += unit;
                if (c == '\r' || c == '\n') {
                    ++line;
                    lineStart = i;
                }
            }
            UndecodablePlace p;
            p.line = line;
            const QString before = codec.decode(data + lineStart, off - lineStart);
            p.column = QStringView(before).toUcs4().size() + 1;
            p.bytes = QByteArray(data + off, std::min<qsizetype>(4, size - off));
            places->push_back(p);
        }
    }
    r.clean = clean && total == 0 && codec.isValid();
    const LineEnds ends = normalizeLineEnds(r.text);
    r.format.encoding = codec.isValid() ? codec.name() : encoding;
    r.format.bom = hasBom;
    r.format.lineEnd = ends.style;
    r.format.finalLineEnd = ends.finalLineEnd;
    keepOrigin(r, bytes);
    return r;
}

TextFormat reformat(const TextFormat &format, const QByteArray &encoding, bool bom, LineEnd lineEnd)
{
    TextFormat f = format;
    TextCodec codec(encoding);
    f.encoding = codec.isValid() ? codec.name() : encoding;
    f.bom = bom && !codec.byteOrderMark().isEmpty();
    f.lineEnd = lineEnd;
    const TextFileOrigin *o = format.origin.get();
    if (!o || !codec.isValid() || !sameEncoding(o->encoding, f.encoding)) {
        f.origin.reset();  // another encoding: everything is written anew
        return f;
    }
    if (o->bom == f.bom && o->lineEnd == lineEnd && !hasMixedLineEnds(*o, codec))
        return f;
    // The file's bytes as they would have been with this byte-order mark and these line ends.
    const QByteArray oldBom = o->bom ? codec.byteOrderMark() : QByteArray();
    const std::vector<ByteLine> lines =
        splitBytes(o->bytes, oldBom.size(), codec.isUtf16(), codec.name() == "UTF-16LE", o->finalLineEnd);
    const QByteArray eol = codec.encode(QString::fromLatin1(lineEndBytes(lineEnd)));
    auto origin = std::make_shared<TextFileOrigin>(*o);
    QByteArray &out = origin->bytes;
    out.clear();
    out.reserve(o->bytes.size() + qsizetype(lines.size()) * (eol.size() + 1) / 2 + 4);
    if (f.bom)
        out += codec.byteOrderMark();
    const char *src = o->bytes.constData();
    for (const ByteLine &l : lines) {
        out.append(src + l.start, l.contentEnd - l.start);
        if (l.end > l.contentEnd)
            out += eol;
    }
    origin->bom = f.bom;
    origin->lineEnd = lineEnd;
    f.origin = std::move(origin);
    return f;
}

QString decodeTextFileAs(const QByteArray &bytes, const TextFormat &format, bool *clean)
{
    TextCodec codec(format.encoding);
    const QByteArray bom = codec.byteOrderMark();
    const bool skip = !bom.isEmpty() && bytes.startsWith(bom);
    QString text = decodeAs(skip ? bytes.mid(bom.size()) : bytes, format.encoding, clean);
    normalizeLineEnds(text);
    return text;
}

namespace {

// The bytes of a file that can be edited; otherwise nothing, with the status and the reason in *r.
std::optional<QByteArray> readFileBytes(const QString &path, TextFileRead *r)
{
    if (path.isEmpty()) {
        r->status = TextFileRead::Missing;
        return std::nullopt;
    }
    const QFileInfo info(path);
    if (!info.exists()) {
        // A name that does not lead to a file: plainly missing, or a link that goes nowhere, a
        // loop of links, a folder on the way that may not be entered. Only the first is a new,
        // empty document; the others are reported, so that nothing is saved under such a name.
        const QString why = describeUnreachable(path);
        r->status = why.isEmpty() ? TextFileRead::Missing : TextFileRead::Unreadable;
        r->error = why;
        return std::nullopt;
    }
    r->status = TextFileRead::Unreadable;
    const QString target = info.isSymLink() ? info.canonicalFilePath() : QString();
    if (!target.isEmpty() && !QFileInfo(target).isReadable()) {
        r->error = QStringLiteral("リンク先のファイル「%1」を読み取る権限がありません。").arg(target);
        return std::nullopt;
    }
    if (info.isDir()) {
        r->error = QStringLiteral("ファイルではなくフォルダーです。");
        return std::nullopt;
    }
    if (!info.isFile()) {  // a pipe or a device: reading it could wait forever
        r->error = QStringLiteral("通常のファイルではありません。");
        return std::nullopt;
    }
    if (info.size() > kMaxFileSize) {
        r->error = QStringLiteral("ファイルが大きすぎます（%1 MB まで開けます）。").arg(kMaxFileSize / (1024 * 1024));
        return std::nullopt;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r->error = !target.isEmpty() ? QStringLiteral("リンク先のファイル「%1」を開けませんでした（%2）。").arg(target, f.errorString())
                   : info.isReadable() ? QStringLiteral("ファイルを開けませんでした（%1）。").arg(f.errorString())
                                       : QStringLiteral("ファイルを読み取る権限がありません。");
        return std::nullopt;
    }
    QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        r->error = QStringLiteral("ファイルの読み取り中にエラーが起きました（%1）。").arg(f.errorString());
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

TextFileRead readTextFile(const QString &path)
{
    TextFileRead r;
    const std::optional<QByteArray> bytes = readFileBytes(path, &r);
    return bytes ? decodeTextFile(*bytes) : r;
}

TextFileRead readTextFile(const QString &path, const TextFormat &format)
{
    TextFileRead r;
    if (const std::optional<QByteArray> bytes = readFileBytes(path, &r)) {
        r.status = TextFileRead::Ok;
        r.text = decodeTextFileAs(*bytes, format, &r.clean);
        r.format = format;
        r.format.origin.reset();
    }
    return r;
}

TextFileRead readTextFileIn(const QString &path, const QByteArray &encoding, std::vector<UndecodablePlace> *places,
                            qsizetype *placeCount)
{
    TextFileRead r;
    if (placeCount)
        *placeCount = 0;
    const std::optional<QByteArray> bytes = readFileBytes(path, &r);
    return bytes ? decodeTextFileIn(*bytes, encoding, places, placeCount) : r;
}

std::vector<TextPlace> damagedPlaces(QStringView text, int max, qsizetype *count)
{
    std::vector<TextPlace> places;
    qsizetype found = 0;
    qsizetype line = 1, lineStart = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\n') {
            ++line;
            lineStart = i + 1;
        } else if (c == 0xFFFD || c == 0) {
            if (qsizetype(places.size()) < max)
                places.push_back({line, i - lineStart + 1});
            ++found;
        }
    }
    if (count)
        *count = found;
    return places;
}

qsizetype damagedBytesLost(const QString &text, const TextFormat &format)
{
    // A replacement mark is either a real U+FFFD of the file or stands for bytes that could not
    // be read; the latter are decoding errors. Kept bytes stay errors in what is written; bytes
    // written anew as U+FFFD do not. So the real U+FFFD characters may not grow in number.
    const TextFileOrigin *o = format.origin.get();
    if (!o || !o->text.contains(QChar(0xFFFD)))
        return 0;  // nothing was unreadable
    TextCodec codec(format.encoding);
    if (!codec.isValid())
        return 0;
    auto realMarks = [&codec](const QByteArray &bytes, const QString &decodedText) {
        qsizetype errors = 0;
        codec.decode(bytes.constData(), bytes.size(), &errors);
        return decodedText.count(QChar(0xFFFD)) - errors;
    };
    const qsizetype before = realMarks(o->bytes, o->text);
    const qsizetype after = realMarks(encodeTextFile(text, format), text);
    return std::max<qsizetype>(0, after - before);
}

// --- writing ---------------------------------------------------------------------------------

QByteArray encodeTextFile(const QString &text, const TextFormat &format, bool *clean)
{
    TextCodec codec(format.encoding);
    if (!codec.isValid()) {
        if (clean)
            *clean = false;
        return {};
    }
    const TextFileOrigin *o = format.origin.get();
    if (o && sameEncoding(o->encoding, format.encoding) && o->bom == format.bom && o->lineEnd == format.lineEnd) {
        if (text == o->text && format.finalLineEnd == o->finalLineEnd) {
            if (clean)
                *clean = true;
            return o->bytes;
        }
        QByteArray out;
        qsizetype bad = 0;
        if (Splicer(*o, codec, format, text).run(&out, &bad)) {
            // What is written must read back as the text; otherwise write it all anew. (With
            // unencodable characters it cannot: they are character references, and the caller
            // writes such bytes only where the user or the purpose allows it.)
            TextFormat plain = format;
            plain.origin.reset();
            if (bad > 0 || decodeTextFileAs(out, plain) == text) {
                if (clean)
                    *clean = bad == 0;
                return out;
            }
        }
        ++g_spliceFallbacks;
    }
    QString t = withLineEnds(text, format.lineEnd);
    if (format.finalLineEnd)
        t += QLatin1String(lineEndBytes(format.lineEnd));
    return encodeText(t, format.encoding, format.bom, clean);
}

bool canWriteText(const QString &text, const TextFormat &format, QStringList *unwritable)
{
    bool clean = true;
    encodeTextFile(text, format, &clean);
    if (unwritable)
        *unwritable = clean ? QStringList() : unencodableCharacters(text, format.encoding, 10);
    return clean;
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    // QSaveFile writes an unnamed temporary file in the target's folder, gives it the target's
    // permissions, syncs it and renames it over the target: a crash or a full disk leaves the old
    // file or the new one, never a part. Unbuffered, because QSaveFile::commit() ignores a failure
    // to write out its buffer and would put a truncated file in place of the old one.
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = describeWriteFailure(path, f.errorString());
        return false;
    }
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = std::min(kWriteChunk, bytes.size() - written);
        if (f.write(bytes.constData() + written, n) != n) {
            const QString detail = f.error() == QFileDevice::NoError ? QString() : f.errorString();
            f.cancelWriting();
            if (error)
                *error = describeWriteFailure(path, detail);
            return false;
        }
        written += n;
        if (chunkHook())
            chunkHook()(written);
    }
    if (!f.flush() || !f.commit()) {
        if (error)
            *error = describeWriteFailure(path, f.errorString());
        return false;
    }
    return true;
}

bool writeTextFile(const QString &path, const QString &text, const TextFormat &format, QString *error,
                   Unencodable unencodable)
{
    bool clean = true;
    const QByteArray bytes = encodeTextFile(text, format, &clean);
    if (!clean && unencodable == Unencodable::Refuse) {
        if (error) {
            const QStringList chars = unencodableCharacters(text, format.encoding, 5);
            *error = chars.isEmpty()
                         ? QStringLiteral("%1 で書き込めない文字があります。").arg(QString::fromLatin1(format.encoding))
                         : QStringLiteral("「%1」など、%2 で書き込めない文字があります。")
                               .arg(chars.join(QStringLiteral("」「")), QString::fromLatin1(format.encoding));
        }
        return false;
    }
    return writeFileAtomically(path, bytes, error);
}

QString lineEndCaption(LineEnd lineEnd)
{
    return lineEnd == LineEnd::CRLF ? QStringLiteral("CR+LF") : lineEndName(lineEnd);
}

QString lineEndName(LineEnd lineEnd)
{
    switch (lineEnd) {
    case LineEnd::LF: return QStringLiteral("LF");
    case LineEnd::CR: return QStringLiteral("CR");
    case LineEnd::CRLF: break;
    }
    return QStringLiteral("CRLF");
}

int TextFileTesting::spliceFallbacks()
{
    return g_spliceFallbacks;
}

void TextFileTesting::setChunkHook(std::function<void(qint64)> hook)
{
    chunkHook() = std::move(hook);
}

void TextFileTesting::setReadOnlyFileSystemCheck(std::function<bool(const QString &)> check)
{
    readOnlyCheck() = std::move(check);
}

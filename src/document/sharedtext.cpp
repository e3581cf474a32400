#include "sharedtext.h"

#include <algorithm>

namespace {

// Cuts text into pieces of PieceSize characters (the last one may be shorter), never
// separating the two halves of a surrogate pair.
void appendPieces(std::vector<QString> &out, const QString &text)
{
    qsizetype at = 0;
    const qsizetype n = text.size();
    while (at < n) {
        qsizetype len = std::min(SharedText::PieceSize, n - at);
        if (at + len < n && text.at(at + len - 1).isHighSurrogate())
            ++len;
        out.push_back(at == 0 && len == n ? text : text.mid(at, len));
        at += len;
    }
}

// Walks a text piece by piece, forwards or backwards, from a position.
struct Cursor {
    const std::vector<QString> &pieces;
    size_t index;
    qsizetype offset;  // forwards: next character; backwards: one past the next character
};

}  // namespace

SharedText::SharedText(const QString &text)
{
    appendPieces(m_pieces, text);
    rebuildEnds(0);
}

void SharedText::rebuildEnds(size_t from)
{
    m_ends.resize(m_pieces.size());
    qsizetype end = from == 0 ? 0 : m_ends[from - 1];
    for (size_t i = from; i < m_pieces.size(); ++i) {
        end += m_pieces[i].size();
        m_ends[i] = end;
    }
    m_size = m_pieces.empty() ? 0 : m_ends.back();
}

std::pair<size_t, qsizetype> SharedText::locate(qsizetype pos) const
{
    const auto it = std::upper_bound(m_ends.begin(), m_ends.end(), pos);
    if (it == m_ends.end())
        return {m_pieces.size() - 1, m_pieces.back().size()};
    const size_t i = size_t(it - m_ends.begin());
    const qsizetype start = i == 0 ? 0 : m_ends[i - 1];
    return {i, pos - start};
}

QString SharedText::mid(qsizetype pos, qsizetype length) const
{
    pos = std::clamp<qsizetype>(pos, 0, m_size);
    length = std::clamp<qsizetype>(length, 0, m_size - pos);
    if (length == 0)
        return QString();
    auto [i, off] = locate(pos);
    if (off + length <= m_pieces[i].size())
        return off == 0 && length == m_pieces[i].size() ? m_pieces[i] : m_pieces[i].mid(off, length);
    QString out;
    out.reserve(length);
    while (length > 0) {
        const qsizetype take = std::min(length, m_pieces[i].size() - off);
        out += QStringView(m_pieces[i]).mid(off, take);
        length -= take;
        off = 0;
        ++i;
    }
    return out;
}

QString SharedText::toString() const
{
    if (m_pieces.size() == 1)
        return m_pieces.front();
    QString out;
    out.reserve(m_size);
    for (const QString &p : m_pieces)
        out += p;
    return out;
}

void SharedText::forEachPiece(const std::function<void(const QString &)> &fn) const
{
    for (const QString &p : m_pieces)
        fn(p);
}

void SharedText::replace(qsizetype pos, qsizetype removed, const QString &added)
{
    pos = std::clamp<qsizetype>(pos, 0, m_size);
    removed = std::clamp<qsizetype>(removed, 0, m_size - pos);
    if (removed == 0 && added.isEmpty())
        return;
    if (m_pieces.empty()) {
        appendPieces(m_pieces, added);
        rebuildEnds(0);
        return;
    }
    // The pieces from the one holding pos to the one holding the last removed character are
    // replaced by their kept head, the added text and their kept tail.
    const auto [first, headLen] = locate(pos);
    const auto [last, lastOff] = removed == 0 ? std::pair{first, headLen} : locate(pos + removed - 1);
    const qsizetype tailFrom = removed == 0 ? headLen : lastOff + 1;
    QString middle;
    middle.reserve(headLen + added.size() + m_pieces[last].size() - tailFrom);
    middle += QStringView(m_pieces[first]).left(headLen);
    middle += added;
    middle += QStringView(m_pieces[last]).mid(tailFrom);

    std::vector<QString> fresh;
    if (middle.size() <= 2 * PieceSize) {
        if (!middle.isEmpty())
            fresh.push_back(std::move(middle));
    } else {
        appendPieces(fresh, middle);
    }
    m_pieces.erase(m_pieces.begin() + qsizetype(first), m_pieces.begin() + qsizetype(last) + 1);
    m_pieces.insert(m_pieces.begin() + qsizetype(first), std::make_move_iterator(fresh.begin()),
                    std::make_move_iterator(fresh.end()));
    rebuildEnds(first);
}

bool SharedText::equals(const SharedText &other) const
{
    if (m_size != other.m_size)
        return false;
    const Difference d = difference(other);
    return d.prefix == m_size;
}

SharedText::Difference SharedText::difference(const SharedText &other) const
{
    Difference d;
    const qsizetype limit = std::min(m_size, other.m_size);
    if (limit == 0)
        return d;

    // Forwards, skipping pieces the two texts share.
    Cursor a{m_pieces, 0, 0}, b{other.m_pieces, 0, 0};
    qsizetype pos = 0;
    while (pos < limit) {
        const QString &pa = a.pieces[a.index];
        const QString &pb = b.pieces[b.index];
        if (a.offset == 0 && b.offset == 0 && pa.constData() == pb.constData() && pa.size() == pb.size()) {
            pos += pa.size();
            ++a.index;
            ++b.index;
            continue;
        }
        const qsizetype n = std::min({pa.size() - a.offset, pb.size() - b.offset, limit - pos});
        const QChar *x = pa.constData() + a.offset;
        const QChar *y = pb.constData() + b.offset;
        const auto mm = std::mismatch(x, x + n, y);
        const qsizetype same = mm.first - x;
        pos += same;
        if (same < n)
            break;
        a.offset += same;
        b.offset += same;
        if (a.offset == pa.size()) {
            ++a.index;
            a.offset = 0;
        }
        if (b.offset == pb.size()) {
            ++b.index;
            b.offset = 0;
        }
    }
    d.prefix = std::min(pos, limit);

    // Backwards, not reaching into the common prefix.
    const qsizetype maxSuffix = limit - d.prefix;
    Cursor ra{m_pieces, m_pieces.size() - 1, m_pieces.back().size()};
    Cursor rb{other.m_pieces, other.m_pieces.size() - 1, other.m_pieces.back().size()};
    qsizetype suffix = 0;
    while (suffix < maxSuffix) {
        const QString &pa = ra.pieces[ra.index];
        const QString &pb = rb.pieces[rb.index];
        if (ra.offset == pa.size() && rb.offset == pb.size() && pa.constData() == pb.constData() &&
            pa.size() == pb.size() && suffix + pa.size() <= maxSuffix) {
            suffix += pa.size();
            if (ra.index == 0 || rb.index == 0)
                break;
            --ra.index;
            --rb.index;
            ra.offset = ra.pieces[ra.index].size();
            rb.offset = rb.pieces[rb.index].size();
            continue;
        }
        const qsizetype n = std::min({ra.offset, rb.offset, maxSuffix - suffix});
        qsizetype same = 0;
        const QChar *x = pa.constData() + ra.offset;
        const QChar *y = pb.constData() + rb.offset;
        while (same < n && x[-1 - same] == y[-1 - same])
            ++same;
        suffix += same;
        if (same < n)
            break;
        ra.offset -= same;
        rb.offset -= same;
        if (ra.offset == 0) {
            if (ra.index == 0)
                break;
            --ra.index;
            ra.offset = ra.pieces[ra.index].size();
        }
        if (rb.offset == 0) {
            if (rb.index == 0)
                break;
            --rb.index;
            rb.offset = rb.pieces[rb.index].size();
        }
    }
    d.suffix = std::min(suffix, maxSuffix);
    return d;
}

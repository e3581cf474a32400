#pragma once
// A long text kept in pieces of a few thousand characters, so that copying it and changing a
// little of it cost little at any length: a copy shares every piece, and an edit copies only the
// pieces it touches. Copies may be handed to another thread; each copy is used by one thread.
#include <QString>

#include <functional>
#include <vector>

class SharedText {
public:
    SharedText() = default;
    explicit SharedText(const QString &text);

    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }

    // Characters [pos, pos + length) (clamped to the text).
    QString mid(qsizetype pos, qsizetype length) const;
    QString toString() const;
    // The pieces in order (for writing without building the whole text).
    void forEachPiece(const std::function<void(const QString &)> &fn) const;

    // Replaces `removed` characters at pos by `added` (clamped to the text).
    void replace(qsizetype pos, qsizetype removed, const QString &added);

    // Whether this text and other are equal, comparing shared pieces by identity first.
    bool equals(const SharedText &other) const;

    // The first position where this text and other differ, and the number of equal characters at
    // their ends (not overlapping that first position). Cost: the pieces not shared by the two.
    struct Difference {
        qsizetype prefix = 0;
        qsizetype suffix = 0;
    };
    Difference difference(const SharedText &other) const;

    static constexpr qsizetype PieceSize = 8192;

private:
    // Index of the piece holding pos (pos == size gives the last piece), and pos within it.
    std::pair<size_t, qsizetype> locate(qsizetype pos) const;
    void rebuildEnds(size_t from);

    std::vector<QString> m_pieces;
    std::vector<qsizetype> m_ends;  // end offset of each piece
    qsizetype m_size = 0;
};

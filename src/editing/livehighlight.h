#pragma once
// Colours while typing, kept cheap on large pages: each line keeps the tokenizer's state
// at its end (QTextBlock::userState), and colours are attached only to lines that are
// shown. An edit re-reads its own lines and, while their end state changes, the lines
// after them up to the bottom of the window; whatever lies further down is brought up to
// date in short idle slices. The user's own colours (markers, tag colouring) are never
// covered, and nothing here touches the text or counts as a change.
#include <QObject>
#include <QRect>
#include <QTextCursor>
#include <QTextLayout>
#include <QTimer>

class EditArea;
class QTextBlock;

class LiveHighlighter : public QObject {
    Q_OBJECT
public:
    explicit LiveHighlighter(EditArea *edit);

    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    void setDark(bool dark);

    // Colours the lines in the visible part of the window that have none yet; while the
    // editing area paints, only those in the painted rectangle.
    void prepareVisible(const QRect &painting = QRect());
    // True while lines further down still wait for their state.
    bool isPending() const { return m_timer.isActive(); }
    // Runs the idle work to its end (tests and benchmarks).
    void finish();
    // State at the start of a block (the previous block's end state).
    int entryState(const QTextBlock &block) const;
    // The same, read from what the block above keeps; -1 when it keeps nothing (colours
    // off, or the line not read yet).
    static int storedEntryState(const QTextBlock &block);

    // Longest line that is coloured; longer lines stay plain and reset the state.
    static constexpr int MaxLineLength = 20000;

private:
    void onContentsChange(int pos, int removed, int added);
    void idleSlice();
    int process(QTextBlock block, int entry, bool format);
    void clearFormats(const QTextBlock &block);
    void setLayoutFormats(const QTextBlock &block, const QList<QTextLayout::FormatRange> &ranges);
    void restart();
    int visibleEndBlock() const;

    EditArea *m_edit;
    bool m_enabled = false;
    bool m_dark = false;
    // Lines before the frontier's block have states that follow from the text above them.
    QTextCursor m_frontier;
    bool m_done = true;
    bool m_painting = false;
    bool m_inEdit = false;
    QTimer m_timer;
};

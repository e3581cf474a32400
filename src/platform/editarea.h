#pragma once
// The editing area: one plain-text editor with display formatting, seen through the
// vocabulary the whole program uses (Text, SelStart, SelLength, SelText) and the three
// insertion rules. A line break is one position ("\n") inside the editor.
#include <QPlainTextEdit>
#include <QString>
#include <QTextBlock>
#include <QTextFormat>
#include <QTextLayout>
#include <QTextCursor>
#include <QTimer>
#include <functional>
#include <vector>

// What a command puts into the editing area: a text in place of the selection (rule B),
// or a start and an end text around it (rule A).
struct Insertion {
    enum Rule { Wrap, Replace };
    Rule rule = Replace;
    QString start;  // Replace: the whole text
    QString end;

    static Insertion replacing(const QString &text) { return {Replace, text, QString()}; }
    static Insertion wrapping(const QString &start, const QString &end) { return {Wrap, start, end}; }
    bool operator==(const Insertion &) const = default;
};

class EditArea : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit EditArea(QWidget *parent = nullptr);

    // The whole text. Built from the document on the first call after a change and kept
    // until the next change: asking again is free, a change costs nothing until asked.
    QString text() const;
    // How setText replaces the text. Edit: as one change of the text, which the change
    // handlers follow like any other (a command). Load: a new text altogether; the old one is
    // dropped at once, the new one arrives in the given character format and is kept as text(),
    // and the view is made ready for its number of lines before it arrives, so that the editor
    // does not lay out every line again when the gutter or the scroll bar changes its width.
    enum class Fill { Edit, Load };
    void setText(const QString &text, Fill fill = Fill::Edit, const QTextCharFormat &format = QTextCharFormat());
    int textLength() const;
    // Part of the text (line breaks as "\n"), at the cost of its length only.
    QString textRange(int position, int length) const;
    // Counts the changes of the text; equal numbers mean the same text.
    quint64 revision() const { return m_revision; }

    int selStart() const;
    void setSelStart(int pos);       // caret to pos, nothing selected
    int selLength() const;
    void setSelLength(int length);   // selects from SelStart onwards (clamped to the text)
    QString selText() const;
    void setSelText(const QString &text);  // replaces the selection; caret after it
    void select(int start, int length);

    // Insertion rules.
    void wrap(const QString &start, const QString &end);          // rule A
    void wrapStepBack(const QString &start, const QString &end);  // rule A'
    void insert(const QString &text);                             // rule B
    void apply(const Insertion &insertion);                       // rule A or B

    // Display formatting: runs fn with the change signal silenced. Formatting never
    // counts as a change of the text.
    void formatDisplay(const std::function<void()> &fn);
    // The user's own colour (markers, tag colouring) carries this property, so that
    // colours drawn while typing never cover it.
    static constexpr int UserColorProperty = QTextFormat::UserProperty + 1;
    void setSelectionColor(const QColor &color);
    // True while display formatting runs (the document reports a change of formats only).
    bool isFormatting() const { return m_silence > 0; }
    void mergeSelectionFormat(const QTextCharFormat &format);

    // Replace the selection with rich text (HTML from the rich-text reader); only its
    // plain text becomes part of the document.
    void setSelRichText(const QString &html);

    // What is changing the text right now: a key typed in the editor, a conversion committed
    // by the input method, or neither (a command).
    enum class Typing { None, Key, InputMethod };
    Typing typing() const { return m_typing; }
    // True while the input method shows text not yet converted (preedit) at the caret.
    bool isComposing() const;

    // Runs fn as one user command: the text may change many times inside, but the
    // change signal fires once afterwards (if the text changed at all).
    void oneChange(const std::function<void()> &fn);

    // Decoration of the editing surface (line numbers, caret line, whitespace marks):
    // before runs ahead of the text's painting (backgrounds), after on top of it.
    using PaintHook = std::function<void(QPainter &painter, const QRect &rect)>;
    void setPaintHooks(PaintHook before, PaintHook after);
    void setLeftMargin(int width);
    QTextBlock firstVisible() const { return firstVisibleBlock(); }
    // A block's rectangle in viewport coordinates (lays the block out when needed). Each call
    // walks from the top of the viewport: for every shown block, use shownBlocks.
    QRectF blockRect(const QTextBlock &block) const;
    // The shown blocks (hidden ones skipped) from the top of the viewport down to the first
    // that starts below `bottom` (viewport coordinates), with their rectangles, in one walk.
    struct ShownBlock {
        QTextBlock block;
        QRectF rect;
    };
    std::vector<ShownBlock> shownBlocks(qreal bottom) const;
    // Sets the extra formats (colours) of a block's layout, and has the block laid out again.
    // Qt's public way reports them as a change of the text from the block on, which lays out
    // the lines after it again too (and repaints the whole area unless silenced). Where Qt's
    // private interface is at hand, only the block is laid out again: when it is next painted
    // or, during the block's own edit, by the edit itself (QuietFormats tells which).
    void setBlockFormats(const QTextBlock &block, const QList<QTextLayout::FormatRange> &ranges);
#if TARNELL_WIDGETS_PRIVATE
    static constexpr bool QuietFormats = true;
#else
    static constexpr bool QuietFormats = false;
#endif

    // Very long lines. The editor lays out a line as a whole, so a line of megabytes would
    // cost seconds per keystroke. A line longer than LongLine characters is therefore held
    // in the editor's document as several display lines of about Segment characters, cut
    // just after a '>' or a space where there is one ("soft breaks"). A soft break is never
    // part of the text: text(), the positions, the selection, contentsEdited and everything
    // copied or saved see the line whole. Pages without such lines have no soft breaks, and
    // every position below is then the document's own.
    static constexpr int LongLine = 10000;
    static constexpr int Segment = 500;
    // Where the lines of text longer than LongLine are cut: each entry is the offset of the
    // character a display line starts with.
    static std::vector<int> softBreakPoints(QStringView text);
    int softBreakCount() const { return int(m_soft.size()); }
    // The document positions of the soft breaks (each ends a display line), ascending.
    const std::vector<int> &softBreaks() const { return m_soft; }
    // Text position <-> position in the editor's document. A text position at a soft break
    // maps to the start of the display line after it.
    int docPosition(int textPos) const;
    int textPosition(int docPos) const;
    // A cursor on the editor's document selecting [position, position + length) of the text.
    QTextCursor cursorAt(int position, int length = 0) const;
    // The caret and the anchor of the selection, in text positions; setCaret selects from
    // anchor to position (the caret).
    int caretPosition() const;
    int anchorPosition() const;
    void setCaret(int anchor, int position);
    // Replaces [position, position + length) of the text, in the editor's plain look.
    void replaceRange(int position, int length, const QString &text);
    // Lines of the text (0-based), whatever display lines they are shown as.
    int lineOf(int textPos) const;
    int columnOf(int textPos) const;   // characters from the line's start
    int lineStart(int line) const;     // text position where a line starts (clamped)
    int lineCount() const { return blockCount() - softBreakCount(); }
    // The line a display block belongs to, and whether it continues the line of the block
    // above (its start is a soft break: no line number of its own).
    int lineNumber(const QTextBlock &block) const;
    bool isContinuation(const QTextBlock &block) const;

signals:
    // Ctrl+wheel: steps > 0 to enlarge the text, < 0 to shrink it.
    void zoomRequested(int steps);
    void resized();
    // setText with Fill::Load: the old text is gone and a text of this many lines follows.
    void filling(int lines);
    // The text changed (never for display formatting).
    void textEdited();
    // Each single change of the text as it happens, in positions of the text: the
    // characters removed at position and the number added there (textRange reads them).
    // A command of several steps reports each step, then one textEdited.
    void contentsEdited(int position, int removed, int added);
    // A Tab key arrived (before the editor's own handling).
    void tabTyped();
    // A key typed in the editor changed the text (after the editor's own handling); the
    // input method's conversions never count.
    void keyTyped(const QString &text);
    // Right button pressed at a global position.
    void contextRequested(const QPoint &globalPos);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void insertFromMimeData(const QMimeData *source) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    void onContentsChange(int pos, int removed, int added);
    void restartCaretBlink();
    void prepareKeyInput();
    // Inserts text at the cursor (replacing its selection), its long lines cut for display.
    void insertShown(QTextCursor &c, const QString &text, const QTextCharFormat &format = QTextCharFormat());
    // The document's characters in [from, to) as text: soft breaks left out, "\n" for breaks.
    QString docText(int from, int to) const;
    int docPosition(int textPos, bool afterBreak) const;
    int softBefore(int docPos) const;  // soft breaks at document positions below docPos
    bool isSoftBreakAt(int docPos) const;
    // Display lines grown past LongLine are cut again and emptied ones joined, as display
    // formatting, once the change that caused it is over.
    void noteReflow(int docPos);
    void reflow();
    QTextCursor m_glyphLine;       // in the line whose layout keeps its glyphs (the caret's)
    std::vector<int> m_soft;       // document positions of the soft breaks, ascending
    bool m_expectSoft = false;     // soft breaks inserted, not yet read back
    int m_reflowing = 0;
    QList<QTextCursor> m_reflowAt;
    QTimer m_reflowTimer;
    mutable QString m_text;        // the whole text, when m_textValid
    mutable bool m_textValid = false;
    quint64 m_revision = 0;
    int m_silence = 0;
    int m_grouped = 0;
    bool m_pendingChange = false;
    PaintHook m_before;
    PaintHook m_after;
    int m_wheelRest = 0;
    Typing m_typing = Typing::None;
};

#pragma once
// The editing area: one plain-text editor with display formatting, seen through the
// vocabulary the whole program uses (Text, SelStart, SelLength, SelText) and the three
// insertion rules. A line break is one position ("\n") inside the editor.
#include <QPlainTextEdit>
#include <QString>
#include <functional>

class EditArea : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit EditArea(QWidget *parent = nullptr);

    // The whole text. Built from the document on the first call after a change and kept
    // until the next change: asking again is free, a change costs nothing until asked.
    QString text() const;
    void setText(const QString &text);
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

    // Display formatting: runs fn with the change signal silenced. Formatting never
    // counts as a change of the text.
    void formatDisplay(const std::function<void()> &fn);
    void setSelectionColor(const QColor &color);
    void mergeSelectionFormat(const QTextCharFormat &format);

    // Replace the selection with rich text (HTML from the rich-text reader); only its
    // plain text becomes part of the document.
    void setSelRichText(const QString &html);

    // Runs fn as one user command: the text may change many times inside, but the
    // change signal fires once afterwards (if the text changed at all).
    void oneChange(const std::function<void()> &fn);

signals:
    // The text changed (never for display formatting).
    void textEdited();
    // Each single change of the text as it happens, in positions of the text: the
    // characters removed at position and the number added there (textRange reads them).
    // A command of several steps reports each step, then one textEdited.
    void contentsEdited(int position, int removed, int added);
    // A Tab key arrived (before the editor's own handling).
    void tabTyped();
    // Right button pressed at a global position.
    void contextRequested(const QPoint &globalPos);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;
    void insertFromMimeData(const QMimeData *source) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;

private:
    void onContentsChange(int pos, int removed, int added);
    mutable QString m_text;        // the whole text, when m_textValid
    mutable bool m_textValid = false;
    quint64 m_revision = 0;
    int m_silence = 0;
    int m_grouped = 0;
    bool m_pendingChange = false;
};

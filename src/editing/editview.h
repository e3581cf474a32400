#pragma once
// The editing surface around the text: live colours, the line-number gutter, the caret's
// line, whitespace marks, line wrapping, matching tags and brackets, and zoom. Each
// option is stored in the settings (group "view") and restored at start. Everything here
// is display only: it never changes the text, the saved file, the clipboard or the print.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <vector>

class EditArea;
class LiveHighlighter;
class QPainter;
class QRect;
class QTextBlock;
class QWidget;

class EditView : public QObject {
    Q_OBJECT
public:
    enum Option { Highlight, LineNumbers, CurrentLine, Whitespace, Tabs, LineEnds, Wrap, OptionCount };
    struct OptionInfo {
        const char *name;     // action objectName and settings key
        const char *caption;  // menu text
        bool byDefault;
    };
    static const OptionInfo &info(Option o);

    explicit EditView(EditArea *edit);

    bool option(Option o) const { return m_on[o]; }
    // Switches an option and stores it.
    void setOption(Option o, bool on);

    LiveHighlighter *highlighter() const { return m_highlighter; }
    QWidget *gutter() const { return m_gutter; }

    // The partner of the tag or bracket at the caret; moves the caret there. False when
    // there is none.
    bool jumpToPartner();
    // Positions highlighted as a matching pair: {start, length} each.
    const std::vector<std::pair<int, int>> &matchSpans() const { return m_match; }
    void updateMatchNow();

    // Zoom of the editor font for this run: steps of one point (at least 6, at most 72);
    // reset returns to the size before the first zoom.
    void zoom(int steps);
    void resetZoom();

    // Paints the gutter (called by the gutter widget).
    void paintGutter(QPainter &p, const QRect &rect);
    int gutterWidth() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply(Option o);
    void paintBefore(QPainter &p, const QRect &rect);
    void paintAfter(QPainter &p, const QRect &rect);
    void updateGutterGeometry();
    void onCaretMoved();
    void repaintLine(int blockNumber);
    void repaintMatch();
    void findMatch();
    bool dark() const;

    EditArea *m_edit;
    LiveHighlighter *m_highlighter;
    QWidget *m_gutter;
    bool m_on[OptionCount] = {};
    std::vector<std::pair<int, int>> m_match;
    QTimer m_matchTimer;
    int m_caretBlock = -1;
    int m_fillLines = -1;  // lines of a text being loaded, until they are in the editor
    double m_baseSize = 0;
};

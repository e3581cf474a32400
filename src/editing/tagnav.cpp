#include "tagnav.h"

#include "platform/editarea.h"

#include <QColor>
#include <QTextCharFormat>
#include <QTextCursor>

namespace TagNav {

Span nextTag(const QString &text, int selStart, int selLength)
{
    const int n = int(text.size());
    const int from = qBound(0, selStart + qMax(0, selLength), n);
    int a = int(text.indexOf(QLatin1Char('<'), from));
    if (a < 0)
        return {n, 0};
    int b = int(text.indexOf(QLatin1Char('>'), a));
    if (b < 0)
        return {a, n - a};
    return {a, b - a + 1};
}

std::optional<Span> previousTag(const QString &text, int pos)
{
    pos = qBound(0, pos, int(text.size()));
    if (pos == 0)
        return std::nullopt;
    const int close = int(text.lastIndexOf(QLatin1Char('>'), pos - 1));
    if (close <= 0)
        return std::nullopt;
    const int open = int(text.lastIndexOf(QLatin1Char('<'), close - 1));
    if (open < 0)
        return std::nullopt;
    return Span{open, close - open + 1};
}

std::vector<Span> tagSpans(const QString &text)
{
    std::vector<Span> spans;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype open = text.indexOf(QLatin1Char('<'), pos);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(QLatin1Char('>'), open);
        if (close < 0)
            break;
        spans.push_back({int(open), int(close - open + 1)});
        pos = close;
    }
    return spans;
}

void jumpNext(EditArea *edit)
{
    const Span s = nextTag(edit->text(), edit->selStart(), edit->selLength());
    edit->select(s.start, s.length);
}

void jumpBefore(EditArea *edit)
{
    if (const auto s = previousTag(edit->text(), edit->selStart()))
        edit->select(s->start, s->length);
}

void tagColor(EditArea *edit)
{
    const QString text = edit->text();
    const std::vector<Span> spans = tagSpans(text);
    edit->formatDisplay([&] {
        QTextCursor c(edit->document());
        c.beginEditBlock();
        QTextCharFormat black;
        black.setForeground(QColor(0, 0, 0));
        black.setProperty(EditArea::UserColorProperty, true);
        c.select(QTextCursor::Document);
        c.mergeCharFormat(black);
        QTextCharFormat blue;
        blue.setForeground(QColor(0, 0, 255));
        blue.setProperty(EditArea::UserColorProperty, true);
        for (const Span &s : spans) {
            c.setPosition(edit->docPosition(s.start));
            c.setPosition(edit->docPosition(s.start + s.length), QTextCursor::KeepAnchor);
            c.mergeCharFormat(blue);
        }
        c.endEditBlock();
    });
    if (spans.empty())
        edit->select(0, int(text.size()));
    else
        edit->select(spans.back().start, spans.back().length);
}

QColor markerColor(int index)
{
    switch (index) {
    case 1:
        return QColor(0, 0, 255);
    case 2:
        return QColor(255, 0, 0);
    case 3:
        return QColor(0, 255, 0);
    default:
        return QColor(0, 0, 0);
    }
}

void hyIroin(EditArea *edit, int index)
{
    edit->setSelectionColor(markerColor(index));
}

void hjSoin(EditArea *edit, int index)
{
    QTextCharFormat f;
    switch (index) {
    case 0:
        f.setFontWeight(QFont::Bold);
        break;
    case 1:
        f.setFontItalic(true);
        break;
    case 2:
        f.setFontUnderline(true);
        break;
    case 3:
        f.setFontWeight(QFont::Normal);
        f.setFontItalic(false);
        f.setFontUnderline(false);
        f.setFontPointSize(9);
        break;
    default:
        return;
    }
    edit->mergeSelectionFormat(f);
}

bool markerSubmenusEnabled(const EditArea *edit)
{
    return edit->selLength() > 0;
}

}

#include "html5snippets.h"

#include "editing/syntax.h"
#include "editing/livehighlight.h"
#include "platform/editarea.h"

#include <QTextBlock>
#include <QTextDocument>

namespace Html5Snippets {

namespace {

const QString kAcross = QStringLiteral("text-combine-upright: all;");
const QString kVertical = QStringLiteral("writing-mode: vertical-rl;");

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool isShortAcross(const QString &s)
{
    if (s.isEmpty() || s.size() > 4)
        return false;
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '!' || u == '?'))
            return false;
    }
    return true;
}

QString across(const QString &s)
{
    return QStringLiteral("<span style=\"") + kAcross + QStringLiteral("\">") + s + QStringLiteral("</span>");
}

// Runs of two to four digits in the text between tags, set across the line.
QString digitsAcross(const QString &text)
{
    // Digits no token covers are text: tags, comments, references and the numbers of
    // script or style code all come as tokens.
    QList<bool> isText(text.size(), true);
    int state = Syntax::InitialState;
    qsizetype lineStart = 0;
    std::vector<Syntax::Token> tokens;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = text.indexOf(u'\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size();
        tokens.clear();
        state = Syntax::tokenizeLine(QStringView(text).sliced(lineStart, lineEnd - lineStart), state, &tokens);
        for (const Syntax::Token &t : tokens)
            for (qsizetype k = lineStart + t.start; k < lineStart + t.start + t.length; ++k)
                isText[k] = false;
        lineStart = lineEnd + 1;
    }
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!isText[i] || !isAsciiDigit(text[i])) {
            out += text[i++];
            continue;
        }
        qsizetype j = i;
        while (j < text.size() && isText[j] && isAsciiDigit(text[j]))
            ++j;
        const QString run = text.mid(i, j - i);
        out += (run.size() >= 2 && run.size() <= 4) ? across(run) : run;
        i = j;
    }
    return out;
}

}

QString verticalText(const QString &selection, bool inStyleBlock)
{
    if (selection.isEmpty()) {
        const QString rules = QStringLiteral(".tate { ") + kVertical + QStringLiteral(" }\n.tate .tcy { ") + kAcross +
                              QStringLiteral(" }\n");
        return inStyleBlock ? rules : QStringLiteral("<style>\n") + rules + QStringLiteral("</style>\n");
    }
    if (isShortAcross(selection))
        return across(selection);
    return QStringLiteral("<div style=\"") + kVertical + QStringLiteral("\">") + digitsAcross(selection) +
           QStringLiteral("</div>");
}

void vertical(EditArea *edit)
{
    const int caret = edit->selStart();
    const QTextBlock block = edit->document()->findBlock(edit->docPosition(caret));
    const int blockStart = edit->textPosition(block.position());
    int state = LiveHighlighter::storedEntryState(block);
    if (state < 0) {
        // Colours off: read the text above the caret from its start, up to a bound.
        const int from = qMax(0, block.position() - 200'000);
        const QTextBlock first = edit->document()->findBlock(from);
        state = Syntax::InitialState;
        for (QTextBlock b = first; b.isValid() && b != block; b = b.next())
            state = Syntax::tokenizeLine(b.text(), state, nullptr);
    }
    state = Syntax::tokenizeLine(edit->textRange(blockStart, caret - blockStart), state, nullptr);
    edit->insert(verticalText(edit->selText(), Syntax::placeOf(state) == Syntax::Place::Style));
}

}

#pragma once
// Palette buttons that ask before they insert: input-box questions (a name, a caption,
// a size, an address) or one of the pickers (link path, colour, style), then a finished
// tag by rule A (wrap the selection) or rule B (replace it). The tag functions are plain;
// which button asks what is one line of the palette's table.
#include "platform/editarea.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace Prompted {

using ::Insertion;

Insertion formTag(const QString &address);                       // action="mailto:" + address
Insertion checkboxTag(const QString &name);
Insertion radioTag(const QString &name, const QString &value);   // ends in a space
Insertion submitTag(const QString &caption);
Insertion resetTag(const QString &caption);
Insertion textareaTag(const QString &name, const QString &rows, const QString &cols);
Insertion selectTag(const QString &name);                        // start tag only
Insertion optionTag(const QString &item);
Insertion textFieldTag(const QString &name, const QString &size);
Insertion anchorNameTag(const QString &name);
Insertion linkTag(const QString &path);
Insertion fontColorTag(const QString &colour);
Insertion spanStyleTag(const QString &style);                    // style brings its own quotes

struct Question {
    QString prompt;
    QString defaultAnswer;
};

// Makes the inserted text from the answers, one per question.
using Compose = std::function<Insertion(const QStringList &answers)>;

// Asks the questions in order; the first empty answer ends the asking (nullopt).
std::optional<QStringList> askAll(const std::vector<Question> &questions,
                                  const std::function<QString(const Question &)> &ask);

// A button that asks its questions in input boxes: with every answer given, puts in what
// compose makes of them; an empty answer inserts nothing. The editing area gets the focus.
void ask(QWidget *parent, EditArea *edit, const std::vector<Question> &questions, const Compose &compose);

// The buttons that ask a picker. The link button says what it wants first, then runs the
// path picker, wraps the selection in a link even when the picker was cancelled, and gives
// the editing area the focus. Font colour and span style leave the focus where it is.
void link(EditArea *edit, QWidget *parent);
void fontColour(EditArea *edit, QWidget *parent);
void spanStyle(EditArea *edit, QWidget *parent);
// The attribute bar's "#??????" and "パス名" and the style sheet tab's "style=": the picker's
// answer in place of the selection ("style=" before the style). The colour and the style
// give the editing area the focus; the path leaves it where it is.
void colourText(EditArea *edit, QWidget *parent);
void styleAttribute(EditArea *edit, QWidget *parent);
void pathText(EditArea *edit, QWidget *parent);

}

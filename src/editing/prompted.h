#pragma once
// Palette buttons that ask before they insert: input-box questions (a name, a caption,
// a size, an address) or one of the pickers (link path, colour, style), then a finished
// tag by rule A (wrap the selection) or rule B (replace it).
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

// A button that asks its questions in input boxes.
struct InputCommand {
    QString name;  // the button's objectName
    std::vector<Question> questions;
    std::function<Insertion(const QStringList &answers)> compose;
};

const std::vector<InputCommand> &inputCommands();
const InputCommand *inputCommand(const QString &name);

// Asks the questions in order; the first empty answer ends the asking (nullopt).
std::optional<QStringList> askAll(const std::vector<Question> &questions,
                                  const std::function<QString(const Question &)> &ask);

// Whether runPromptedTag handles the button.
bool handles(const QString &buttonName);

}

// Runs a prompting palette button: Command9 (link), Command11–Command19 and
// Command27 (input boxes), Command34 (span with a style) and Command38 (font colour).
// The input-box buttons and Command9 give the editing area the focus afterwards;
// Command34 and Command38 leave it where it is.
void runPromptedTag(QWidget *parent, EditArea *edit, const QString &buttonName);

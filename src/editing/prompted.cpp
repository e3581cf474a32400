#include "prompted.h"

#include "platform/editarea.h"
#include "platform/pickers.h"
#include "platform/prompts.h"

namespace Prompted {

namespace {

const QChar q = QLatin1Char('"');

Insertion replace(const QString &text)
{
    return Insertion::replacing(text);
}

Insertion wrap(const QString &start, const QString &end)
{
    return Insertion::wrapping(start, end);
}

QString quoted(const QString &text)
{
    return q + text + q;
}

}

Insertion formTag(const QString &address)
{
    return wrap(QStringLiteral("<form method=post action=") + quoted(QStringLiteral("mailto:") + address) +
                    QLatin1Char('>'),
                QStringLiteral("</form>"));
}

Insertion checkboxTag(const QString &name)
{
    return replace(QStringLiteral("<input type=Checkbox name=") + quoted(name) + QLatin1Char('>'));
}

Insertion radioTag(const QString &name, const QString &value)
{
    return replace(QStringLiteral("<input type=Radio name=") + quoted(name) + QStringLiteral(" value=") +
                   quoted(value) + QStringLiteral(" > "));
}

Insertion submitTag(const QString &caption)
{
    return replace(QStringLiteral("<input type=Submit value=") + quoted(caption) + QLatin1Char('>'));
}

Insertion resetTag(const QString &caption)
{
    return replace(QStringLiteral("<input type=Reset value=") + quoted(caption) + QLatin1Char('>'));
}

Insertion textareaTag(const QString &name, const QString &rows, const QString &cols)
{
    return wrap(QStringLiteral("<textarea name=") + quoted(name) + QStringLiteral(" rows=") + rows +
                    QStringLiteral(" cols=") + cols + QStringLiteral(" > "),
                QStringLiteral("</textarea>"));
}

Insertion selectTag(const QString &name)
{
    return replace(QStringLiteral("<select name=") + quoted(name) + QLatin1Char('>'));
}

Insertion optionTag(const QString &item)
{
    return replace(QStringLiteral("<option=") + quoted(item) + QLatin1Char('>'));
}

Insertion textFieldTag(const QString &name, const QString &size)
{
    return replace(QStringLiteral("<input name=") + quoted(name) + QStringLiteral(" size=") + size +
                   QStringLiteral(" > "));
}

Insertion anchorNameTag(const QString &name)
{
    return wrap(QStringLiteral("<a name=") + quoted(name) + QLatin1Char('>'), QStringLiteral("</a>"));
}

Insertion linkTag(const QString &path)
{
    return wrap(QStringLiteral("<a href=") + quoted(path) + QLatin1Char('>'), QStringLiteral("</a>"));
}

Insertion fontColorTag(const QString &colour)
{
    return wrap(QStringLiteral("<font color=") + quoted(colour) + QLatin1Char('>'), QStringLiteral("</font>"));
}

Insertion spanStyleTag(const QString &style)
{
    return wrap(QStringLiteral("<span style=") + style + QLatin1Char('>'), QStringLiteral("</span>"));
}

std::optional<QStringList> askAll(const std::vector<Question> &questions,
                                  const std::function<QString(const Question &)> &ask)
{
    QStringList answers;
    for (const Question &question : questions) {
        const QString answer = ask(question);
        if (answer.isEmpty())
            return std::nullopt;
        answers << answer;
    }
    return answers;
}

void ask(QWidget *parent, EditArea *edit, const std::vector<Question> &questions, const Compose &compose)
{
    const auto answers = askAll(questions, [parent](const Question &question) {
        return Prompts::input(parent, question.prompt, question.defaultAnswer);
    });
    if (answers)
        edit->apply(compose(*answers));
    edit->setFocus();
}

void link(EditArea *edit, QWidget *parent)
{
    Prompts::info(parent, QStringLiteral("リンク先のパスを指定して下さい"));
    edit->apply(linkTag(Pickers::pickPath(parent)));
    edit->setFocus();
}

void fontColour(EditArea *edit, QWidget *parent)
{
    edit->apply(fontColorTag(Pickers::pickColour(parent)));
}

void spanStyle(EditArea *edit, QWidget *parent)
{
    edit->apply(spanStyleTag(Pickers::pickStyle(parent)));
}

// A picker closed without an answer leaves the text and the selection as they were.
void colourText(EditArea *edit, QWidget *parent)
{
    if (Pickers::runConfirmed(Pickers::colour, parent, Shared::ChosenColor))
        edit->insert(Shared::ChosenColor);
    edit->setFocus();
}

void styleAttribute(EditArea *edit, QWidget *parent)
{
    if (Pickers::runConfirmed(Pickers::style, parent, Shared::ChosenStyle))
        edit->insert(QStringLiteral("style=") + Shared::ChosenStyle);
    edit->setFocus();
}

void pathText(EditArea *edit, QWidget *parent)
{
    if (Pickers::choosePath(parent))
        edit->insert(Shared::PickedPath);
}

}

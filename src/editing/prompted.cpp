#include "prompted.h"

#include "platform/editarea.h"
#include "platform/pickers.h"
#include "platform/prompts.h"
#include "platform/shared.h"

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

const std::vector<InputCommand> &inputCommands()
{
    const QString name = QStringLiteral("名前を入力して下さい");
    const QString caption = QStringLiteral("キャプションを入力して下さい");
    using A = const QStringList &;
    static const std::vector<InputCommand> commands = {
        {"Command11", {{"e-mailアドレスを入力して下さい", "mailto:"}}, [](A a) { return formTag(a[0]); }},
        {"Command12", {{name, {}}}, [](A a) { return checkboxTag(a[0]); }},
        {"Command13", {{name, {}}, {"変数名を入力して下さい", {}}}, [](A a) { return radioTag(a[0], a[1]); }},
        {"Command14", {{caption, {}}}, [](A a) { return submitTag(a[0]); }},
        {"Command15", {{caption, {}}}, [](A a) { return resetTag(a[0]); }},
        {"Command16", {{name, {}}, {"縦の列の数を入力して下さい", {}}, {"横の列の数を入力して下さい", {}}},
         [](A a) { return textareaTag(a[0], a[1], a[2]); }},
        {"Command17", {{name, {}}}, [](A a) { return selectTag(a[0]); }},
        {"Command18", {{"項目名を入力して下さい", {}}}, [](A a) { return optionTag(a[0]); }},
        {"Command19", {{name, {}}, {"サイズを入力して下さい", {}}}, [](A a) { return textFieldTag(a[0], a[1]); }},
        {"Command27", {{"名前を入れて下さい", {}}}, [](A a) { return anchorNameTag(a[0]); }},
    };
    return commands;
}

const InputCommand *inputCommand(const QString &name)
{
    for (const InputCommand &c : inputCommands()) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
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

bool handles(const QString &buttonName)
{
    return inputCommand(buttonName) || buttonName == QLatin1String("Command9") ||
           buttonName == QLatin1String("Command34") || buttonName == QLatin1String("Command38");
}

}

void runPromptedTag(QWidget *parent, EditArea *edit, const QString &buttonName)
{
    using namespace Prompted;
    if (buttonName == QLatin1String("Command9")) {
        Prompts::info(parent, QStringLiteral("リンク先のパスを指定して下さい"));
        Pickers::run(Pickers::path, parent);
        edit->apply(linkTag(Shared::PickedPath));
        edit->setFocus();
    } else if (buttonName == QLatin1String("Command38")) {
        Pickers::run(Pickers::colour, parent);
        edit->apply(fontColorTag(Shared::ChosenColor));
    } else if (buttonName == QLatin1String("Command34")) {
        Pickers::run(Pickers::style, parent);
        edit->apply(spanStyleTag(Shared::ChosenStyle));
    } else if (const InputCommand *command = inputCommand(buttonName)) {
        const auto answers = askAll(command->questions, [parent](const Question &question) {
            return Prompts::input(parent, question.prompt, question.defaultAnswer);
        });
        if (answers)
            edit->apply(command->compose(*answers));
        edit->setFocus();
    }
}

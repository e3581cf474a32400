#include "prompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>

namespace {
Prompts::Answerer g_answerer;
}

namespace Prompts {

QString appTitle()
{
    return QStringLiteral("Tarnell");
}

void setAnswerer(Answerer answerer)
{
    g_answerer = std::move(answerer);
}

bool answering()
{
    return bool(g_answerer);
}

void info(QWidget *parent, const QString &text, const QString &title)
{
    if (g_answerer) {
        g_answerer(QStringLiteral("info"), text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? appTitle() : title, text, QMessageBox::Ok, parent);
    box.exec();
}

void error(QWidget *parent, const QString &text, const QString &title)
{
    if (g_answerer) {
        g_answerer(QStringLiteral("error"), text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, title.isEmpty() ? appTitle() : title, text, QMessageBox::Ok, parent);
    box.exec();
}

QMessageBox::StandardButton askYesNoCancel(QWidget *parent, const QString &text, const QString &title)
{
    if (g_answerer)
        return QMessageBox::StandardButton(g_answerer(QStringLiteral("ask"), text).toInt());
    QMessageBox box(QMessageBox::Question, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    const int r = box.exec();
    return r == QMessageBox::Yes || r == QMessageBox::No ? QMessageBox::StandardButton(r) : QMessageBox::Cancel;
}

bool confirm(QWidget *parent, const QString &text, const QString &title, const QString &action)
{
    if (g_answerer)
        return g_answerer(QStringLiteral("confirm"), text) == QLatin1String("1");
    QMessageBox box(QMessageBox::Question, title.isEmpty() ? appTitle() : title, text, QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(action, QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

int choose(QWidget *parent, const QString &text, const QString &title, const QStringList &answers,
           int defaultAnswer)
{
    const int last = int(answers.size()) - 1;
    if (g_answerer) {
        bool ok = false;
        const int i = g_answerer(QStringLiteral("choose"), text).toInt(&ok);
        return ok && i >= 0 && i <= last ? i : last;
    }
    QMessageBox box(QMessageBox::Question, title.isEmpty() ? appTitle() : title, text, QMessageBox::NoButton, parent);
    QList<QPushButton *> buttons;
    for (int i = 0; i <= last; ++i)
        buttons << box.addButton(answers[i], i == last ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
    if (defaultAnswer >= 0 && defaultAnswer <= last)
        box.setDefaultButton(buttons[defaultAnswer]);
    if (last >= 0)
        box.setEscapeButton(buttons[last]);
    box.exec();
    const int i = int(buttons.indexOf(static_cast<QPushButton *>(box.clickedButton())));
    return i >= 0 ? i : last;
}

QString input(QWidget *parent, const QString &prompt, const QString &defaultAnswer)
{
    if (g_answerer)
        return g_answerer(QStringLiteral("input"), prompt);
    QInputDialog dlg(parent);
    dlg.setWindowTitle(appTitle());
    dlg.setLabelText(prompt);
    dlg.setTextValue(defaultAnswer);
    dlg.setOkButtonText(QStringLiteral("OK"));
    dlg.setCancelButtonText(QStringLiteral("キャンセル"));
    dlg.resize(360, dlg.sizeHint().height());
    return dlg.exec() == QDialog::Accepted ? dlg.textValue() : QString();
}

QString qtFilter(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
        out << parts[i] + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

QString openFile(QWidget *parent, const QString &filter, const QString &folder)
{
    if (g_answerer)
        return g_answerer(QStringLiteral("open"), filter);
    return QFileDialog::getOpenFileName(parent, QStringLiteral("開く"), folder, qtFilter(filter), nullptr,
                                        QFileDialog::ReadOnly);
}

QString saveFile(QWidget *parent, const QString &filter, const QString &folder)
{
    if (g_answerer)  // the proposed path follows the filter on a line of its own
        return g_answerer(QStringLiteral("save"), folder.isEmpty() ? filter : filter + QLatin1Char('\n') + folder);
    // The editor never adds an extension of its own; the system dialog already asks
    // before replacing an existing file.
    return QFileDialog::getSaveFileName(parent, QStringLiteral("名前をつけて保存"), folder, qtFilter(filter));
}

}

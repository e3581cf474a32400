#pragma once
// Message boxes, the one-line input box and the file dialogs, in one place so that
// every window asks the same way and tests can answer without a person.
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;
class QWidget;

namespace Prompts {

QString appTitle();  // "Tarnell"

// Message box with an OK button.
void info(QWidget *parent, const QString &text, const QString &title = QString());
void error(QWidget *parent, const QString &text, const QString &title = QString());

// Yes/No/Cancel question; returns QMessageBox::Yes, No or Cancel.
QMessageBox::StandardButton askYesNoCancel(QWidget *parent, const QString &text, const QString &title);

// A question with two answers: the action (its caption given) or Cancel. True for the action.
bool confirm(QWidget *parent, const QString &text, const QString &title, const QString &action);

// A question with the answers given (buttons in that order); returns the index of the answer,
// the last one when the box is closed. The answerer's kind is "choose", its answer the index.
int choose(QWidget *parent, const QString &text, const QString &title, const QStringList &answers,
           int defaultAnswer = 0);

// Input box: returns the answer, "" on Cancel.
QString input(QWidget *parent, const QString &prompt, const QString &defaultAnswer = QString());

// File dialogs; filter in the form "desc|pattern|desc|pattern"; "" on cancel.
QString openFile(QWidget *parent, const QString &filter, const QString &folder = QString());
QString saveFile(QWidget *parent, const QString &filter, const QString &folder = QString());

// The dialog openFile and saveFile show, made but not shown: wide enough for its columns
// (name, size, type, date), or at the size the user last left a file dialog at.
QFileDialog *makeFileDialog(QWidget *parent, bool save, const QString &filter, const QString &folder);
// Runs a dialog from makeFileDialog: the chosen path, "" on cancel; remembers its size.
QString runFileDialog(QFileDialog *dialog);

// "HTMLファイル|*.htm;*.html|..." -> "HTMLファイル (*.htm *.html);;..."
QString qtFilter(const QString &filter);

// Test hooks: when set, they answer instead of a dialog. kind is "info", "error",
// "ask", "confirm", "choose", "input", "open" or "save"; the answer of "ask" is the button's number.
using Answerer = std::function<QString(const QString &kind, const QString &text)>;
void setAnswerer(Answerer answerer);
// Whether a test answers instead of the user (windows of their own that ask ask it too).
bool answering();

}

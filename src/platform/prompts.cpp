#include "prompts.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTreeView>
#include <QScreen>
#include <memory>

#include "appenv.h"
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>

namespace {
Prompts::Answerer g_answerer;
// Where the file dialogs' size is kept between runs ("width,height").
const QString kWindowSection = QStringLiteral("window");
const QString kFileDialogKey = QStringLiteral("FileDialogSize");
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

QFileDialog *makeFileDialog(QWidget *parent, bool save, const QString &filter, const QString &folder)
{
    auto *dlg = new QFileDialog(parent, save ? QStringLiteral("名前をつけて保存") : QStringLiteral("開く"), folder,
                                qtFilter(filter));
    dlg->setObjectName(save ? QStringLiteral("dlgSave") : QStringLiteral("dlgOpen"));
    dlg->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!save)
        dlg->setOption(QFileDialog::ReadOnly);
    // The editor never adds an extension of its own; the dialog itself asks before
    // replacing an existing file.
    QSize size = QSize(820, 500);
    const QStringList kept = AppEnv::setting(kWindowSection, kFileDialogKey, QString()).split(QLatin1Char(','));
    if (kept.size() == 2 && kept[0].toInt() >= 300 && kept[1].toInt() >= 200)
        size = QSize(kept[0].toInt(), kept[1].toInt());
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.95);
    dlg->resize(size.expandedTo(dlg->minimumSizeHint()));
    // The size, type and date columns of the detailed list are as wide as what they show;
    // the name takes the rest.
    auto *files = dlg->findChild<QTreeView *>(QStringLiteral("treeView"));
    auto *model = dlg->findChild<QFileSystemModel *>();
    if (files && model) {
        files->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        QObject::connect(model, &QFileSystemModel::directoryLoaded, files, [files] {
            for (int c = 1; c < files->header()->count(); ++c)
                files->resizeColumnToContents(c);
        });
    }
    return dlg;
}

QString runFileDialog(QFileDialog *dialog)
{
    const bool chosen = dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty();
    AppEnv::setSetting(kWindowSection, kFileDialogKey,
                       QStringLiteral("%1,%2").arg(dialog->width()).arg(dialog->height()));
    return chosen ? dialog->selectedFiles().constFirst() : QString();
}

QString openFile(QWidget *parent, const QString &filter, const QString &folder)
{
    if (g_answerer)
        return g_answerer(QStringLiteral("open"), filter);
    std::unique_ptr<QFileDialog> dlg(makeFileDialog(parent, false, filter, folder));
    return runFileDialog(dlg.get());
}

QString saveFile(QWidget *parent, const QString &filter, const QString &folder)
{
    if (g_answerer)  // the proposed path follows the filter on a line of its own
        return g_answerer(QStringLiteral("save"), folder.isEmpty() ? filter : filter + QLatin1Char('\n') + folder);
    std::unique_ptr<QFileDialog> dlg(makeFileDialog(parent, true, filter, folder));
    return runFileDialog(dlg.get());
}

}

#include "encodingcmds.h"

#include "encodingdialog.h"
#include "filequestions.h"
#include "filesettings.h"
#include "mainwindow.h"
#include "undocontroller.h"
#include "document/encoding.h"
#include "document/encodingchoice.h"
#include "platform/editarea.h"

#include <QAction>
#include <QMenu>
#include <QStatusBar>
#include <QToolButton>

using EncodingWidgets::kLineEnds;

EncodingCommands::EncodingCommands(MainWindow &window) : QObject(&window), w(window)
{
}

void EncodingCommands::addReopenMenu(QMenu *file)
{
    m_reopen = file->addMenu(QStringLiteral("エンコーディングを指定して開き直す(&E)"));
    m_reopen->setObjectName("ReopenAs");
    w.m_menus.insert("ReopenAs", m_reopen);
    for (const QByteArray &e : EncodingChoice::mainEncodings()) {
        QAction *a = m_reopen->addAction(QString::fromLatin1(e));
        a->setObjectName(QStringLiteral("ReopenAs(%1)").arg(QString::fromLatin1(e)));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, e] { reopenAs(e); });
        w.m_actions.insert(a->objectName(), a);
    }
    m_reopen->addSeparator();
    QAction *other = m_reopen->addAction(QStringLiteral("その他…"));
    other->setObjectName("ReopenAsOther");
    connect(other, &QAction::triggered, this, [this] { reopenAsOther(); });
    w.m_actions.insert("ReopenAsOther", other);
    // The current encoding is marked.
    connect(m_reopen, &QMenu::aboutToShow, this, [this] {
        for (QAction *a : m_reopen->actions())
            if (a->isCheckable())
                a->setChecked(a->objectName() == QStringLiteral("ReopenAs(%1)").arg(QString::fromLatin1(w.m_document.format().encoding)));
    });
}

void EncodingCommands::addSaveAction(QMenu *file)
{
    QAction *a = file->addAction(QStringLiteral("エンコーディングを指定して保存(&K)…"));
    a->setObjectName("SaveAsEncoding");
    connect(a, &QAction::triggered, this, [this] { saveAsEncoding(); });
    w.m_actions.insert("SaveAsEncoding", a);
}

void EncodingCommands::addStatusButtons(QStatusBar *bar)
{
    // Flat buttons with a small arrow, so that they read as something to press; each opens its
    // menu above itself, right-aligned with it, as the status bar is at the window's bottom.
    // (The reopen menu is made with the File menu, after the status bar: found when clicked.)
    auto button = [this](const char *name, const QString &tip, QMenu *const *menuOf) {
        auto *b = new QToolButton;
        b->setObjectName(name);
        b->setAutoRaise(true);
        b->setArrowType(Qt::UpArrow);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        b->setToolTip(tip);
        connect(b, &QToolButton::clicked, this, [b, menuOf] {
            QMenu *menu = *menuOf;
            const QSize size = menu->sizeHint();
            menu->popup(b->mapToGlobal(QPoint(b->width() - size.width(), -size.height())));
        });
        return b;
    };
    m_lineEndMenu = new QMenu(&w);
    m_lineEndMenu->setObjectName("mnuLineEnd");
    for (int i = 0; i < 3; ++i) {
        const LineEnd e = kLineEnds[i];
        QAction *a = m_lineEndMenu->addAction(QStringLiteral("すべての改行を %1 に変換").arg(lineEndCaption(e)));
        a->setObjectName(QStringLiteral("LineEndTo(%1)").arg(i));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, e] { convertLineEnds(e); });
    }
    // The document's line end is marked.
    connect(m_lineEndMenu, &QMenu::aboutToShow, this, [this] {
        const QList<QAction *> actions = m_lineEndMenu->actions();
        for (int i = 0; i < actions.size(); ++i)
            actions[i]->setChecked(kLineEnds[i] == w.m_document.format().lineEnd);
    });
    m_encodingButton = button("staEncoding", QStringLiteral("エンコーディングを指定して開き直す"), &m_reopen);
    m_lineEndButton = button("staLineEnd", QStringLiteral("すべての改行コードを変換する"), &m_lineEndMenu);
    bar->addPermanentWidget(m_encodingButton);
    bar->addPermanentWidget(m_lineEndButton);
}

void EncodingCommands::updateStatus()
{
    if (!m_encodingButton)
        return;
    const TextFormat &f = w.m_document.format();
    m_encodingButton->setText(QString::fromLatin1(f.encoding) + (f.bom ? QStringLiteral(" (BOM)") : QString()));
    m_lineEndButton->setText(lineEndCaption(f.lineEnd));
}

bool EncodingCommands::reopenAs(const QByteArray &encoding)
{
    Document &doc = w.m_document;
    std::vector<UndecodablePlace> places;
    qsizetype count = 0;
    auto failed = [&](const TextFileRead &r) {
        if (r.status != TextFileRead::Ok)
            FileQuestions::cannotReopen(&w, doc.path(), r.error.isEmpty() ? QStringLiteral("ファイルが見つかりません。") : r.error);
        else if (count > 0)
            FileQuestions::undecodableBytes(&w, doc.path(), r.format.encoding, places, count);
        else
            return false;
        return true;
    };
    // A modified document asks first, as every load does; but not for a reopen that cannot work.
    if (doc.isModified()) {
        if (failed(readTextFileIn(doc.path(), encoding, &places, &count)) || !w.savePrompt())
            return false;
    }
    // Read (again, if the prompt saved it, perhaps under a new name) and taken on only when every
    // byte decodes. An untitled document reads its template again: a new document in that encoding.
    const TextFileRead r = doc.loadIn(doc.path(), doc.displayName(), encoding, &places, &count);
    if (failed(r))
        return false;
    w.showLoaded(r);
    return true;
}

bool EncodingCommands::reopenAsOther()
{
    const QByteArray e = OtherEncodingDialog::run(&w, w.m_document.format().encoding);
    return !e.isEmpty() && reopenAs(e);
}

bool EncodingCommands::saveAsEncoding()
{
    Document &doc = w.m_document;
    QByteArray encoding = doc.format().encoding;
    bool bom = doc.format().bom;
    LineEnd lineEnd = doc.format().lineEnd;
    if (!EncodingDialog::run(&w, &encoding, &bom, &lineEnd))
        return false;
    // An untitled document is offered the rewrite by Save As, once the file is named.
    if (!doc.isUntitled() && !offerDeclarationRewrite(encoding))
        return false;
    const TextFormat before = doc.format();
    const bool changedBefore = doc.isFormatChanged();
    doc.setFormat(reformat(before, encoding, bom, lineEnd));
    updateStatus();
    if (w.save())
        return true;
    // Not saved: the document keeps the format it had (a declaration rewritten stays, undoable).
    doc.setFormat(before, changedBefore);
    doc.setModified(w.m_undo->isModified());
    updateStatus();
    return false;
}

void EncodingCommands::convertLineEnds(LineEnd lineEnd)
{
    Document &doc = w.m_document;
    const TextFormat &f = doc.format();
    TextFormat converted = reformat(f, f.encoding, f.bom, lineEnd);
    if (converted.lineEnd == f.lineEnd && converted.origin == f.origin)
        return;  // every line end is that one already: nothing to write
    doc.setFormat(std::move(converted));
    if (w.m_recovery)
        w.noteDocument();  // a text recovered after a crash is written with these line ends too
    w.updateStatus();
}

void EncodingCommands::replaceText(const QString &text)
{
    const int caret = w.m_edit->selStart();
    w.m_edit->setText(text);  // one change: one undo step
    w.m_edit->setSelStart(std::min(caret, w.m_edit->textLength()));
}

bool EncodingCommands::offerDeclarationRewrite(const QByteArray &encoding)
{
    const QString text = w.m_edit->text();
    const QString label = EncodingChoice::disagreeingLabel(text, encoding);
    if (label.isEmpty())
        return true;
    const auto answer = FileQuestions::askRewriteDeclaration(&w, label, encoding);
    if (answer == QMessageBox::Cancel)
        return false;
    if (answer == QMessageBox::Yes)
        replaceText(rewriteMetaCharset(text, encoding));
    return true;
}

bool EncodingCommands::resolveUnencodable(QString &text)
{
    Document &doc = w.m_document;
    QStringList lost;
    if (canWriteText(text, doc.format(), &lost))
        return true;
    const QByteArray encoding = doc.format().encoding;
    switch (FileQuestions::askUnencodable(&w, encoding, lost,
                                          EncodingChoice::unencodableInScriptOrStyle(text, encoding))) {
    case FileQuestions::Unencodable::SaveAsUtf8: {
        bool changed = false;
        const QString rewritten = rewriteMetaCharset(text, "UTF-8", &changed);
        if (changed) {
            replaceText(rewritten);
            text = rewritten;
        }
        doc.setFormat(reformat(doc.format(), "UTF-8", false, doc.format().lineEnd));
        return true;
    }
    case FileQuestions::Unencodable::References:
        text = EncodingChoice::toCharacterReferences(text, encoding);
        replaceText(text);
        return true;
    case FileQuestions::Unencodable::Cancel:
        break;
    }
    return false;
}

TextFormat EncodingCommands::previewFormat(const TextFormat &format)
{
    if (EncodingChoice::browsersRead(format.encoding))
        return format;
    return reformat(format, "UTF-8", false, format.lineEnd);
}

TextFormat EncodingCommands::newDocumentFormat(const TextFormat &templateFormat, const QString &templatePath,
                                               const QString &templateText)
{
    TextFormat f = templateFormat;
    LineEnd lineEnd = f.lineEnd;
    const bool lineEndChosen = NewDocumentSettings::lineEnd(&lineEnd);
    const QByteArray encoding = NewDocumentSettings::encoding();
    if (!lineEndChosen && encoding.isEmpty())
        return f;  // nothing chosen yet: the template's own format, as it always was
    // The template is read the same in the encoding chosen (the one Tarnell comes with is ASCII);
    // a template in other characters keeps its own encoding.
    if (!encoding.isEmpty() && encoding != f.encoding) {
        TextFormat candidate = reformat(f, encoding, false, lineEnd);
        if (readTextFile(templatePath, candidate).text == templateText)
            return candidate;
    }
    return reformat(f, f.encoding, f.bom, lineEnd);
}

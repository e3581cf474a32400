#pragma once
// The File commands about encodings and line ends, for the main window: reopening the file in
// another encoding, saving with a chosen encoding, byte-order mark and line end, converting every
// line end, the status-bar buttons that show them, and the question asked when the page's
// encoding cannot hold some of its characters. What they compute lives in document/ (reformat,
// readTextFileIn, EncodingChoice); the document's format is kept by Document.
#include "document/textfile.h"

#include <QObject>

class MainWindow;
class QMenu;
class QStatusBar;
class QToolButton;

class EncodingCommands : public QObject {
    Q_OBJECT
public:
    explicit EncodingCommands(MainWindow &window);

    // File menu: the ReopenAs submenu (after Open) and SaveAsEncoding (after Save As).
    void addReopenMenu(QMenu *file);
    void addSaveAction(QMenu *file);
    // Status bar: the encoding and line-end buttons.
    void addStatusButtons(QStatusBar *bar);
    void updateStatus();

    // Reads the document's file again in the encoding. Bytes that do not decode are reported with
    // their line and column and the document is kept; false then, or when the user cancelled.
    bool reopenAs(const QByteArray &encoding);
    bool reopenAsOther();
    // The Save-with-encoding dialog, then Save (Save As for an untitled document).
    bool saveAsEncoding();
    // Every line end of the document is written as lineEnd from the next save on.
    void convertLineEnds(LineEnd lineEnd);

    // Before a save: the text holds characters the document's encoding cannot. Asks whether to
    // save in UTF-8 or to write them as character references (each answer one change of the text,
    // which text then holds); false when the user cancelled.
    bool resolveUnencodable(QString &text);
    // Before the first save of a new document or a save in another encoding: offers to rewrite a
    // charset declaration that names another encoding. False when the user cancelled.
    bool offerDeclarationRewrite(const QByteArray &encoding);

    // The format of the preview file: the document's, or UTF-8 where browsers do not read it.
    static TextFormat previewFormat(const TextFormat &format);
    // The new-document format from the Options dialog applied to the template's.
    static TextFormat newDocumentFormat(const TextFormat &templateFormat, const QString &templatePath,
                                        const QString &templateText);

private:
    void replaceText(const QString &text);

    MainWindow &w;
    QMenu *m_reopen = nullptr;
    QMenu *m_lineEndMenu = nullptr;
    QToolButton *m_encodingButton = nullptr;
    QToolButton *m_lineEndButton = nullptr;
};

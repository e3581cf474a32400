#pragma once
// The preview tab's content. The browser is created on first use only, so start-up
// does not pay for it (nor load the engine's module).
#include "platform/browserengine.h"

#include <QWidget>

class BrowserView;
class QStackedLayout;
class QLabel;

class PreviewPane : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPane(QWidget *parent = nullptr);

    // Shows a local page file as HTML (whatever its name ends in), its bytes read in
    // the given character encoding.
    void showFile(const QString &path, const QByteArray &charset = "UTF-8");
    // Loads the same file again, if one was shown.
    void reload();
    // Shows a short message instead of a page.
    void showMessage(const QString &text);
    // Prints the current page with the engine's own print command (after the print
    // dialog); does nothing before a page was shown.
    void print(QWidget *dialogParent);
    bool hasBrowser() const { return m_browser != nullptr; }
    BrowserView *browser() const { return m_browser; }
    QString currentFile() const { return m_file; }

    // The URL scheme the preview serves local files through. Must run before the first
    // browser view is made anywhere in the program (main() runs it first thing).
    static void registerScheme();
    static QUrl fileUrl(const QString &path, const QByteArray &charset);
    // A local file by its path (the URL's path), as the preview's scheme serves it.
    static Browser::Reply serveFile(const QUrl &url);

signals:
    void loadFinished(bool ok);

private:
    void ensureBrowser();

    QStackedLayout *m_stack;
    QLabel *m_message;
    BrowserView *m_browser = nullptr;
    QString m_file;
    QByteArray m_charset;
};

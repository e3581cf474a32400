#pragma once
// A browser view inside a window. The engine module is opened when the first view is
// made, not before; without the module the view shows pages as simple rich text.
#include "platform/browserengine.h"

#include <QWidget>
#include <functional>
#include <memory>

class QTextBrowser;

class BrowserView : public QWidget {
    Q_OBJECT
public:
    explicit BrowserView(QWidget *parent = nullptr, Browser::PageKind kind = Browser::PageKind::Browsing);
    ~BrowserView() override;

    void load(const QUrl &url);
    void setHtml(const QByteArray &html, const QUrl &baseUrl);
    QUrl url() const;
    void back();
    void reload();
    void runJavaScript(const QString &script, std::function<void(const QVariant &)> done = {});
    // Prints the shown page; the printer is deleted once printing is over.
    void print(QPrinter *printer);
    void setNavigationFilter(Browser::NavigationFilter filter);

    // Loads url and keeps the page at the scroll position (CSS pixels; without the engine,
    // the scroll bars' values).
    void loadAt(const QUrl &url, const QPointF &position);
    QPointF scrollPosition() const;
    // The program's own script in every page, apart from the page's scripts (engine only):
    // see Browser::Page.
    void setProgramScript(const QString &source);
    void runProgramScript(const QString &script, std::function<void(const QVariant &)> done = {});
    // Ends the renderer of a quiet page that hangs; the next load starts a new one.
    void abandonRenderer();

    // Whether the engine module serves this view (false: the simple fallback).
    bool hasEngine() const { return m_page != nullptr; }

    // Schemes the program serves itself. Added before the first view is made (at start-up
    // is cheap: nothing is loaded until then); later additions are refused.
    static bool addScheme(const QByteArray &scheme, Browser::SchemeHandler handler,
                          Browser::SchemeSyntax syntax = Browser::SchemeSyntax::Path);
    // The engine, loaded on the first call; nullptr (with loadError()) when the module
    // cannot be opened.
    static Browser::Engine *engine();
    static QString loadError();
    static bool engineLoaded();
    // The module's file: $TARNELL_BROWSER_MODULE, else tarnell-browser.so beside the
    // executable.
    static QString modulePath();

signals:
    void loadFinished(bool ok);
    // The load of url ended (ok: shown); also for a load that the next one replaced.
    void loadEnded(const QUrl &url, bool ok);
    void urlChanged(const QUrl &url);
    // Text the program's script sent with tarnellSend(text).
    void programMessage(const QString &text);
    // A new window or a download the page asked for was refused.
    void refused(Browser::Refusal what, const QUrl &url);

private:
    void fallbackLoad(const QUrl &url);

    std::unique_ptr<Browser::Page> m_page;
    QTextBrowser *m_fallback = nullptr;
};

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
    explicit BrowserView(QWidget *parent = nullptr);
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

    // Whether the engine module serves this view (false: the simple fallback).
    bool hasEngine() const { return m_page != nullptr; }

    // Schemes the program serves itself. Added before the first view is made (at start-up
    // is cheap: nothing is loaded until then); later additions are refused.
    static bool addScheme(const QByteArray &scheme, Browser::SchemeHandler handler);
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
    void urlChanged(const QUrl &url);

private:
    void fallbackLoad(const QUrl &url);

    std::unique_ptr<Browser::Page> m_page;
    QTextBrowser *m_fallback = nullptr;
};

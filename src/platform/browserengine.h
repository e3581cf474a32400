#pragma once
// The browser engine as the program sees it. The engine itself lives in a module of its
// own beside the executable (tarnell-browser.so), opened on first use by BrowserView,
// so that starting the program never loads or relocates the engine's libraries.
//
// This header is the whole contract between the two sides: plain abstract classes and
// value types only, no symbols of the program are needed by the module.
#include <QByteArray>
#include <QPointF>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <QtPlugin>
#include <functional>

class QIODevice;
class QPrinter;
class QWidget;

namespace Browser {

// How a navigation came about.
enum class Navigation { Program, Link, Form, History, Reload, Redirect, Other };

// The answer to a request for a URL of a scheme the program serves.
struct Reply {
    enum Status { Ok, NotFound, Denied, Failed };
    Status status = Ok;
    QByteArray mimeType;         // with "; charset=..." where it matters
    QByteArray data;             // the body, when device is null
    QIODevice *device = nullptr; // or a device to read it from; the engine takes it over
};
using SchemeHandler = std::function<Reply(const QUrl &url)>;

// How the addresses of a scheme are built. Path: scheme:/path, each page an origin of its own
// (the engine gives every load a fresh renderer process). Host: scheme://host/path, one origin
// per host, so that the loads of one view share a renderer that stays warm.
enum class SchemeSyntax { Path, Host };

// Decides whether a page may go to url; the program's own loads ask too.
using NavigationFilter = std::function<bool(const QUrl &url, Navigation how, bool mainFrame)>;

// What kind of page a view shows.
enum class PageKind {
    // The engine's usual pages (the preview tab, help, the path picker's preview).
    Browsing,
    // A page shown beside the editor while the user types: renderer processes and an
    // off-the-record store of its own (nothing written to disk, a hung page harms no other
    // view), no dialogs of the page (alert, confirm, prompt, print, file choosers) and no
    // downloads.
    Quiet,
};

// Something a page asked for and did not get.
enum class Refusal { NewWindow, Download };

// One browser view. Its widget belongs to the parent given at creation.
class Page {
public:
    virtual ~Page() = default;
    virtual QWidget *widget() = 0;

    virtual void load(const QUrl &url) = 0;
    // A page given as bytes; relative references resolve against baseUrl. Meant for small
    // pages (the engine hands them over as a data URL of at most 2 MB): serve large ones
    // through a scheme handler instead.
    virtual void setHtml(const QByteArray &html, const QUrl &baseUrl) = 0;
    virtual QUrl url() const = 0;
    virtual void back() = 0;
    virtual void reload() = 0;
    virtual void runJavaScript(const QString &script, std::function<void(const QVariant &)> done) = 0;
    // Prints the shown page; done(ok) follows once the printer is no longer used.
    virtual void print(QPrinter *printer, std::function<void(bool)> done) = 0;

    // Requests for new windows (links with a target of their own, window.open) are
    // always refused. Other navigations pass the filter, when one is set.
    virtual void setNavigationFilter(NavigationFilter filter) = 0;
    virtual void setLoadFinished(std::function<void(bool ok)> handler) = 0;
    // The same, with the address whose load ended (a load replaced by the next one ends too).
    virtual void setLoadEnded(std::function<void(const QUrl &url, bool ok)> handler) = 0;
    virtual void setUrlChanged(std::function<void(const QUrl &)> handler) = 0;
    // New windows and downloads the page asked for (and did not get).
    virtual void setRefused(std::function<void(Refusal what, const QUrl &url)> handler) = 0;

    // Loads url and puts it at the scroll position (CSS pixels) as soon as its content is
    // there, and again once its pictures are, unless the user scrolled meanwhile.
    virtual void loadAt(const QUrl &url, const QPointF &position) = 0;
    // Where the shown page is scrolled to (CSS pixels), as the renderer last reported it.
    virtual QPointF scrollPosition() const = 0;

    // The program's own script, run in every page this view loads once its document is
    // parsed, in a world of its own: the page's scripts neither see nor change it. It may
    // call tarnellSend(text) to hand text to the message handler.
    virtual void setProgramScript(const QString &source) = 0;
    virtual void setProgramMessages(std::function<void(const QString &text)> handler) = 0;
    // Runs a script in that world; done gets its result (never, while the page hangs).
    virtual void runProgramScript(const QString &script, std::function<void(const QVariant &)> done) = 0;
    // Ends the renderer process of a page that hangs (a script that never returns); the next
    // load starts a new one. Only for Quiet pages, whose processes no other view shares.
    virtual void abandonRenderer() = 0;
};

class Engine {
public:
    virtual ~Engine() = default;
    // Serves every URL of the scheme through handler. Schemes are registered before the
    // first page exists; a scheme added later is refused (false).
    virtual bool installSchemeHandler(const QByteArray &scheme, SchemeHandler handler, SchemeSyntax syntax) = 0;
    virtual Page *createPage(QWidget *parent, PageKind kind) = 0;
};

}

#define TARNELL_BROWSER_ENGINE_IID "org.tarnell.Browser.Engine/3"
Q_DECLARE_INTERFACE(Browser::Engine, TARNELL_BROWSER_ENGINE_IID)

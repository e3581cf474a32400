// The browser engine module: Qt WebEngine behind the program's Browser::Engine
// interface. Built as a plugin beside the executable and opened on first use.
#include "platform/browserengine.h"

#include <QBuffer>
#include <QHash>
#include <QObject>
#include <QPrinter>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QRandomGenerator>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

#include <csignal>
#include <sys/types.h>

namespace {

// Run before a quiet page's own scripts, in its world and in every frame: the page's dialogs
// answer at once without showing anything (as if the user declined them), and the page cannot
// pull the focus away from the editor.
const char kQuietPrelude[] = R"(
(function () {
    const quiet = function () {};
    window.alert = quiet;
    window.print = quiet;
    window.focus = quiet;
    window.confirm = function () { return false; };
    window.prompt = function () { return null; };
})();
)";

class SchemeHandlerAdapter : public QWebEngineUrlSchemeHandler {
public:
    SchemeHandlerAdapter(Browser::SchemeHandler handler, QObject *parent)
        : QWebEngineUrlSchemeHandler(parent), m_handler(std::move(handler))
    {
    }
    void requestStarted(QWebEngineUrlRequestJob *job) override
    {
        Browser::Reply reply = m_handler(job->requestUrl());
        switch (reply.status) {
        case Browser::Reply::Ok:
            break;
        case Browser::Reply::NotFound:
            delete reply.device;
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        case Browser::Reply::Denied:
            delete reply.device;
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        case Browser::Reply::Failed:
            delete reply.device;
            job->fail(QWebEngineUrlRequestJob::RequestFailed);
            return;
        }
        QIODevice *device = reply.device;
        if (!device) {
            auto *buffer = new QBuffer;
            buffer->setData(reply.data);
            buffer->open(QIODevice::ReadOnly);
            device = buffer;
        }
        // The job owns what it reads from and deletes it with itself.
        device->setParent(job);
        job->reply(reply.mimeType, device);
    }

private:
    Browser::SchemeHandler m_handler;
};

Browser::Navigation navigationOf(QWebEnginePage::NavigationType type)
{
    switch (type) {
    case QWebEnginePage::NavigationTypeLinkClicked: return Browser::Navigation::Link;
    case QWebEnginePage::NavigationTypeTyped: return Browser::Navigation::Program;
    case QWebEnginePage::NavigationTypeFormSubmitted: return Browser::Navigation::Form;
    case QWebEnginePage::NavigationTypeBackForward: return Browser::Navigation::History;
    case QWebEnginePage::NavigationTypeReload: return Browser::Navigation::Reload;
    case QWebEnginePage::NavigationTypeRedirect: return Browser::Navigation::Redirect;
    default: return Browser::Navigation::Other;
    }
}

class FilteredPage : public QWebEnginePage {
public:
    FilteredPage(QWebEngineProfile *profile, bool quiet, QObject *parent)
        : QWebEnginePage(profile, parent), quiet(quiet)
    {
        // A fresh token per page: only the program's own world knows what its messages start with.
        token = QStringLiteral("tarnell-%1:").arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
    }
    const bool quiet;
    QString token;
    Browser::NavigationFilter filter;
    std::function<void(Browser::Refusal, const QUrl &)> refused;
    std::function<void(const QString &)> messages;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        if (filter && !filter(url, navigationOf(type), isMainFrame))
            return false;
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
    // No page opens windows of its own.
    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }

    // A quiet page shows no dialogs; an unload question is answered "leave", so that the next
    // load always goes ahead.
    void javaScriptAlert(const QUrl &origin, const QString &msg) override
    {
        if (!quiet)
            QWebEnginePage::javaScriptAlert(origin, msg);
    }
    bool javaScriptConfirm(const QUrl &origin, const QString &msg) override
    {
        return quiet || QWebEnginePage::javaScriptConfirm(origin, msg);
    }
    bool javaScriptPrompt(const QUrl &origin, const QString &msg, const QString &defaultValue, QString *result) override
    {
        return !quiet && QWebEnginePage::javaScriptPrompt(origin, msg, defaultValue, result);
    }
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles, const QStringList &acceptedMimeTypes) override
    {
        return quiet ? QStringList() : QWebEnginePage::chooseFiles(mode, oldFiles, acceptedMimeTypes);
    }
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                  const QString &source) override
    {
        if (messages && message.startsWith(token)) {
            messages(message.mid(token.size()));
            return;
        }
        QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
    }
};

class EnginePage : public Browser::Page {
public:
    EnginePage(QWidget *parent, QWebEngineProfile *profile, bool quiet) : m_view(new QWebEngineView(parent))
    {
        m_page = new FilteredPage(profile, quiet, m_view);
        m_view->setPage(m_page);
        QObject::connect(m_page, &QWebEnginePage::newWindowRequested, m_view, [this](QWebEngineNewWindowRequest &r) {
            if (m_page->refused)
                m_page->refused(Browser::Refusal::NewWindow, r.requestedUrl());
        });
        if (quiet) {
            // Updates must never take the keyboard from the editor.
            m_page->settings()->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);
            QWebEngineScript prelude;
            prelude.setName(QStringLiteral("tarnell-quiet"));
            prelude.setSourceCode(QString::fromUtf8(kQuietPrelude));
            prelude.setInjectionPoint(QWebEngineScript::DocumentCreation);
            prelude.setWorldId(QWebEngineScript::MainWorld);
            prelude.setRunsOnSubFrames(true);
            m_page->scripts().insert(prelude);
        }
        // The widget may go with its parent before this object: then nothing is left to use.
        QObject::connect(m_view, &QObject::destroyed, [this] { m_view = nullptr; });
    }
    ~EnginePage() override
    {
        if (m_view)
            delete m_view;
    }
    QWidget *widget() override { return m_view; }

    void load(const QUrl &url) override { m_view->load(url); }
    void setHtml(const QByteArray &html, const QUrl &baseUrl) override
    {
        m_view->setContent(html, QStringLiteral("text/html"), baseUrl);
    }
    QUrl url() const override { return m_view ? m_view->url() : QUrl(); }
    void back() override { m_view->back(); }
    void reload() override { m_view->reload(); }
    void runJavaScript(const QString &script, std::function<void(const QVariant &)> done) override
    {
        m_page->runJavaScript(script, [done](const QVariant &v) {
            if (done)
                done(v);
        });
    }
    void print(QPrinter *printer, std::function<void(bool)> done) override
    {
        QObject::connect(
            m_view, &QWebEngineView::printFinished, m_view,
            [done](bool ok) {
                if (done)
                    done(ok);
            },
            Qt::SingleShotConnection);
        m_view->print(printer);
    }
    void setNavigationFilter(Browser::NavigationFilter filter) override { m_page->filter = std::move(filter); }
    void setLoadFinished(std::function<void(bool)> handler) override
    {
        QObject::disconnect(m_loadConnection);
        m_loadConnection = QObject::connect(m_view, &QWebEngineView::loadFinished, m_view, std::move(handler));
    }
    void setUrlChanged(std::function<void(const QUrl &)> handler) override
    {
        QObject::disconnect(m_urlConnection);
        m_urlConnection = QObject::connect(m_view, &QWebEngineView::urlChanged, m_view, std::move(handler));
    }
    void setLoadEnded(std::function<void(const QUrl &, bool)> handler) override
    {
        QObject::disconnect(m_endConnection);
        m_endConnection = QObject::connect(m_page, &QWebEnginePage::loadingChanged, m_view,
                                           [handler = std::move(handler)](const QWebEngineLoadingInfo &info) {
                                               if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
                                                   handler(info.url(), info.status() == QWebEngineLoadingInfo::LoadSucceededStatus);
                                           });
    }
    void setRefused(std::function<void(Browser::Refusal, const QUrl &)> handler) override
    {
        m_page->refused = std::move(handler);
    }

    void loadAt(const QUrl &url, const QPointF &position) override
    {
        // Scrolled when the document is parsed; once more when its pictures have loaded
        // (the page may have been too short before), unless the user scrolled in between.
        const QString source = QStringLiteral(R"(
(function () {
    const x = %1, y = %2;
    window.scrollTo(x, y);
    const first = [window.scrollX, window.scrollY];
    if (first[0] === x && first[1] === y)
        return;
    window.addEventListener('load', function () {
        if (window.scrollX === first[0] && window.scrollY === first[1])
            window.scrollTo(x, y);
    }, { once: true });
})();)")
                                   .arg(position.x())
                                   .arg(position.y());
        replaceScript(QStringLiteral("tarnell-scroll"), source);
        m_view->load(url);
    }
    QPointF scrollPosition() const override { return m_page->scrollPosition(); }

    void setProgramScript(const QString &source) override
    {
        const QString send = QStringLiteral("const tarnellSend = function (text) { console.debug('%1' + text); };\n")
                                 .arg(m_page->token);
        replaceScript(QStringLiteral("tarnell-program"), send + source);
    }
    void setProgramMessages(std::function<void(const QString &)> handler) override
    {
        m_page->messages = std::move(handler);
    }
    void runProgramScript(const QString &script, std::function<void(const QVariant &)> done) override
    {
        m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [done](const QVariant &v) {
            if (done)
                done(v);
        });
    }
    void abandonRenderer() override
    {
        if (!m_page->quiet)
            return;
        const qint64 pid = m_page->renderProcessPid();
        if (pid > 0)
            ::kill(pid_t(pid), SIGKILL);
    }

private:
    // A script of the program's own world, run once the document is parsed, in place of the
    // one of that name.
    void replaceScript(const QString &name, const QString &source)
    {
        QWebEngineScriptCollection &scripts = m_page->scripts();
        for (const QWebEngineScript &old : scripts.find(name))
            scripts.remove(old);
        QWebEngineScript script;
        script.setName(name);
        script.setSourceCode(source);
        script.setInjectionPoint(QWebEngineScript::DocumentReady);
        script.setWorldId(QWebEngineScript::ApplicationWorld);
        script.setRunsOnSubFrames(false);
        scripts.insert(script);
    }

    QWebEngineView *m_view;
    FilteredPage *m_page;
    QMetaObject::Connection m_loadConnection;
    QMetaObject::Connection m_urlConnection;
    QMetaObject::Connection m_endConnection;
};

}

class WebEngineModule : public QObject, public Browser::Engine {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TARNELL_BROWSER_ENGINE_IID)
    Q_INTERFACES(Browser::Engine)

public:
    bool installSchemeHandler(const QByteArray &scheme, Browser::SchemeHandler handler, Browser::SchemeSyntax syntax) override
    {
        if (m_pagesMade)
            return false;
        if (!QWebEngineUrlScheme::schemeByName(scheme).name().isEmpty() || m_handlers.contains(scheme))
            return false;
        QWebEngineUrlScheme s(scheme);
        s.setSyntax(syntax == Browser::SchemeSyntax::Host ? QWebEngineUrlScheme::Syntax::Host
                                                          : QWebEngineUrlScheme::Syntax::Path);
        s.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalAccessAllowed |
                   QWebEngineUrlScheme::CorsEnabled);
        QWebEngineUrlScheme::registerScheme(s);
        m_handlers.insert(scheme, std::move(handler));
        return true;
    }

    Browser::Page *createPage(QWidget *parent, Browser::PageKind kind) override
    {
        if (!m_pagesMade) {
            m_pagesMade = true;
            // The views draw their pages in software, into the window's own drawing. Drawn
            // through OpenGL instead, a view has Qt compose the whole window through OpenGL
            // for as long as it is visible: every repaint of the editor beside the live preview
            // becomes a full-window pass, tens of milliseconds a key where OpenGL runs in
            // software, and the window is made again (losing keys typed meanwhile) when the
            // first view appears. The engine renders the pages in software either way
            // wherever it has no graphics card to use.
            QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
            // The profile exists from here on; the handlers go with it.
            installHandlers(QWebEngineProfile::defaultProfile());
        }
        if (kind == Browser::PageKind::Browsing)
            return new EnginePage(parent, QWebEngineProfile::defaultProfile(), false);
        if (!m_quietProfile) {
            // Off the record: no cache, cookies or storage on disk. Renderer processes are never
            // shared between profiles, so a page that hangs here stops no other view.
            m_quietProfile = new QWebEngineProfile(this);
            installHandlers(m_quietProfile);
            connect(m_quietProfile, &QWebEngineProfile::downloadRequested, this, [](QWebEngineDownloadRequest *d) {
                d->cancel();
                if (auto *page = dynamic_cast<FilteredPage *>(d->page()); page && page->refused)
                    page->refused(Browser::Refusal::Download, d->url());
            });
        }
        return new EnginePage(parent, m_quietProfile, true);
    }

private:
    void installHandlers(QWebEngineProfile *profile)
    {
        for (auto it = m_handlers.cbegin(); it != m_handlers.cend(); ++it)
            profile->installUrlSchemeHandler(it.key(), new SchemeHandlerAdapter(it.value(), profile));
    }

    QWebEngineProfile *m_quietProfile = nullptr;
    QHash<QByteArray, Browser::SchemeHandler> m_handlers;
    bool m_pagesMade = false;
};

#include "browsermodule.moc"

// The browser engine module: Qt WebEngine behind the program's Browser::Engine
// interface. Built as a plugin beside the executable and opened on first use.
#include "platform/browserengine.h"

#include <QBuffer>
#include <QHash>
#include <QObject>
#include <QPrinter>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>

namespace {

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
    using QWebEnginePage::QWebEnginePage;
    Browser::NavigationFilter filter;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override
    {
        if (filter && !filter(url, navigationOf(type), isMainFrame))
            return false;
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
    // No page opens windows of its own.
    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }
};

class EnginePage : public Browser::Page {
public:
    explicit EnginePage(QWidget *parent) : m_view(new QWebEngineView(parent))
    {
        m_page = new FilteredPage(QWebEngineProfile::defaultProfile(), m_view);
        m_view->setPage(m_page);
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

private:
    QWebEngineView *m_view;
    FilteredPage *m_page;
    QMetaObject::Connection m_loadConnection;
    QMetaObject::Connection m_urlConnection;
};

}

class WebEngineModule : public QObject, public Browser::Engine {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TARNELL_BROWSER_ENGINE_IID)
    Q_INTERFACES(Browser::Engine)

public:
    bool installSchemeHandler(const QByteArray &scheme, Browser::SchemeHandler handler) override
    {
        if (m_pagesMade)
            return false;
        if (!QWebEngineUrlScheme::schemeByName(scheme).name().isEmpty() || m_handlers.contains(scheme))
            return false;
        QWebEngineUrlScheme s(scheme);
        s.setSyntax(QWebEngineUrlScheme::Syntax::Path);
        s.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalAccessAllowed |
                   QWebEngineUrlScheme::CorsEnabled);
        QWebEngineUrlScheme::registerScheme(s);
        m_handlers.insert(scheme, std::move(handler));
        return true;
    }

    Browser::Page *createPage(QWidget *parent) override
    {
        if (!m_pagesMade) {
            m_pagesMade = true;
            // The profile exists from here on; the handlers go with it.
            QWebEngineProfile *profile = QWebEngineProfile::defaultProfile();
            for (auto it = m_handlers.cbegin(); it != m_handlers.cend(); ++it)
                profile->installUrlSchemeHandler(it.key(), new SchemeHandlerAdapter(it.value(), profile));
        }
        return new EnginePage(parent);
    }

private:
    QHash<QByteArray, Browser::SchemeHandler> m_handlers;
    bool m_pagesMade = false;
};

#include "browsermodule.moc"

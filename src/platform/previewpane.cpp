#include "previewpane.h"

#include "printing.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeDatabase>
#include <QPrinter>
#include <QStackedLayout>
#include <QUrl>
#include <QUrlQuery>

#ifdef TARNELL_WEBENGINE
#include <QBuffer>
#include <QGuiApplication>
#include <QOpenGLWidget>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>
#include <QWebEngineSettings>
#endif

namespace {

#ifdef TARNELL_WEBENGINE
const QByteArray kScheme = "tarnell-file";

// Serves local files under their own paths, with the preview file (whatever its
// name ends in) as an HTML page, so relative pictures and style sheets resolve
// beside it and pages of any size load.
class FileSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob *job) override
    {
        const QString path = job->requestUrl().path();
        QFileInfo info(path);
        if (!info.isFile()) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto *file = new QFile(path, job);
        if (!file->open(QIODevice::ReadOnly)) {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        QByteArray mime;
        const QByteArray charset = QUrlQuery(job->requestUrl()).queryItemValue("charset").toLatin1();
        if (path.endsWith(QLatin1String("$.tmp")))
            mime = "text/html; charset=" + (charset.isEmpty() ? QByteArray("UTF-8") : charset);
        else
            mime = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).name().toUtf8();
        job->reply(mime, file);
    }
};

// Refuses every new window: a link with a target of its own or window.open.
class PreviewPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
protected:
    QWebEnginePage *createWindow(WebWindowType) override { return nullptr; }
};

QWebEngineUrlSchemeHandler *schemeHandler()
{
    static FileSchemeHandler *h = [] {
        auto *handler = new FileSchemeHandler;
        QWebEngineProfile::defaultProfile()->installUrlSchemeHandler(kScheme, handler);
        return handler;
    }();
    return h;
}
#endif

}

PreviewPane::PreviewPane(QWidget *parent) : QWidget(parent)
{
    m_stack = new QStackedLayout(this);
    m_message = new QLabel(this);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    m_message->setObjectName("PreviewMessage");
    m_stack->addWidget(m_message);
#ifdef TARNELL_WEBENGINE
    // The browser draws through OpenGL. A window that learns this only when the browser is
    // created gets a new native window then, and what is typed in the meantime is lost. An
    // OpenGL widget that is never shown makes the window start with a surface the browser can
    // use, without loading the browser. (Not on headless platforms, which may lack OpenGL.)
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"))) {
        auto *surface = new QOpenGLWidget(this);
        surface->setObjectName("PreviewSurface");
        surface->hide();
    }
#endif
}

void PreviewPane::registerScheme()
{
#ifdef TARNELL_WEBENGINE
    static bool done = false;
    if (done)
        return;
    done = true;
    QWebEngineUrlScheme scheme(kScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalAccessAllowed |
                    QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
#endif
}

void PreviewPane::ensureBrowser()
{
#ifdef TARNELL_WEBENGINE
    if (m_browser)
        return;
    schemeHandler();
    auto *view = new QWebEngineView(this);
    view->setObjectName("WebBrowser1");
    auto *page = new PreviewPage(QWebEngineProfile::defaultProfile(), view);
    view->setPage(page);
    connect(view, &QWebEngineView::loadFinished, this, &PreviewPane::loadFinished);
    m_browser = view;
    m_stack->addWidget(view);
#endif
}

void PreviewPane::showFile(const QString &path, const QByteArray &charset)
{
    m_charset = charset;
    m_file = path;
#ifdef TARNELL_WEBENGINE
    ensureBrowser();
    QUrl url;
    url.setScheme(QString::fromLatin1(kScheme));
    url.setPath(QFileInfo(path).absoluteFilePath());
    if (!charset.isEmpty())
        url.setQuery(QStringLiteral("charset=") + QString::fromLatin1(charset));
    m_stack->setCurrentWidget(m_browser);
    static_cast<QWebEngineView *>(m_browser)->load(url);
#else
    showMessage(path);
#endif
}

void PreviewPane::reload()
{
    if (!m_file.isEmpty() && m_browser)
        showFile(m_file, m_charset);
}

void PreviewPane::showMessage(const QString &text)
{
    m_message->setText(text);
    m_stack->setCurrentWidget(m_message);
}

void PreviewPane::print(QWidget *dialogParent)
{
#ifdef TARNELL_WEBENGINE
    // Nothing shown yet: nothing to print.
    if (!m_browser || m_file.isEmpty())
        return;
    auto *view = static_cast<QWebEngineView *>(m_browser);
    auto *printer = new QPrinter(QPrinter::HighResolution);
    if (!Printing::ChoosePrinter(dialogParent, *printer, false)) {
        delete printer;
        return;
    }
    connect(view, &QWebEngineView::printFinished, this, [printer](bool) { delete printer; },
            Qt::SingleShotConnection);
    view->print(printer);
#else
    (void)dialogParent;
#endif
}

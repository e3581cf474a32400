#include "previewpane.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeDatabase>
#include <QStackedLayout>
#include <QUrl>

#ifdef TARNELL_WEBENGINE
#include <QBuffer>
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
        if (path.endsWith(QLatin1String("$.tmp")))
            mime = "text/html";
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

void PreviewPane::showFile(const QString &path)
{
    m_file = path;
#ifdef TARNELL_WEBENGINE
    ensureBrowser();
    QUrl url;
    url.setScheme(QString::fromLatin1(kScheme));
    url.setPath(QFileInfo(path).absoluteFilePath());
    m_stack->setCurrentWidget(m_browser);
    static_cast<QWebEngineView *>(m_browser)->load(url);
#else
    showMessage(path);
#endif
}

void PreviewPane::reload()
{
    if (!m_file.isEmpty() && m_browser)
        showFile(m_file);
}

void PreviewPane::showMessage(const QString &text)
{
    m_message->setText(text);
    m_stack->setCurrentWidget(m_message);
}

void PreviewPane::print()
{
#ifdef TARNELL_WEBENGINE
    // Printing is done by the caller through the page's printToPdf / print API.
#endif
}

#include "browserview.h"


#include <QCoreApplication>
#include <QHash>
#include <QOpenGLContext>
#include <QIODevice>
#include <QPluginLoader>
#include <QPrinter>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

// The process-wide context every OpenGL context may share with (QtGui; what
// Qt::AA_ShareOpenGLContexts makes at start-up).
QOpenGLContext *qt_gl_global_share_context();
void qt_gl_set_global_share_context(QOpenGLContext *context);

namespace {

struct Module {
    bool tried = false;
    Browser::Engine *engine = nullptr;
    QString error;
    QHash<QByteArray, Browser::SchemeHandler> schemes;
    QHash<QByteArray, Browser::SchemeSyntax> syntaxes;
};

Module &module()
{
    static Module m;
    return m;
}

// The charset named in a MIME type such as "text/html; charset=Shift_JIS".
QByteArray charsetOf(const QByteArray &mimeType)
{
    const int at = mimeType.toLower().indexOf("charset=");
    if (at < 0)
        return "UTF-8";
    QByteArray name = mimeType.mid(at + 8);
    const int end = name.indexOf(';');
    if (end >= 0)
        name.truncate(end);
    return name.trimmed();
}

}

QString BrowserView::modulePath()
{
    const QString given = qEnvironmentVariable("TARNELL_BROWSER_MODULE");
    if (!given.isEmpty())
        return given;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/tarnell-browser.so");
}

bool BrowserView::addScheme(const QByteArray &scheme, Browser::SchemeHandler handler, Browser::SchemeSyntax syntax)
{
    Module &m = module();
    if (m.tried || m.schemes.contains(scheme))
        return false;
    m.schemes.insert(scheme, std::move(handler));
    m.syntaxes.insert(scheme, syntax);
    return true;
}

Browser::Engine *BrowserView::engine()
{
    Module &m = module();
    if (m.tried)
        return m.engine;
    m.tried = true;
    // The engine shares textures with the program's OpenGL contexts through one context
    // made for all. The program makes it here, on first use, so that starting it does not
    // load the OpenGL drivers (tests make it at start-up, through Qt::AA_ShareOpenGLContexts
    // set before the application object). Contexts made from now on share with it.
    if (!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts))
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (!qt_gl_global_share_context()) {
        auto *context = new QOpenGLContext(qApp);
        if (context->create())
            qt_gl_set_global_share_context(context);
        else
            delete context;
    }
    if (!qt_gl_global_share_context()) {
        // The engine cannot run without it (it would crash on first use): stay with the
        // simple pages instead.
        m.error = QStringLiteral("OpenGL の共有コンテキストを作れないため、ブラウザー部品を使えません。");
        return nullptr;
    }
    // The loader stays: its module is never unloaded while the program runs.
    auto *loader = new QPluginLoader(modulePath(), qApp);
    loader->setLoadHints(QLibrary::PreventUnloadHint);
    m.engine = qobject_cast<Browser::Engine *>(loader->instance());
    if (!m.engine) {
        m.error = loader->errorString();
        return nullptr;
    }
    for (auto it = m.schemes.cbegin(); it != m.schemes.cend(); ++it)
        m.engine->installSchemeHandler(it.key(), it.value(), m.syntaxes.value(it.key()));
    return m.engine;
}

QString BrowserView::loadError()
{
    return module().error;
}

bool BrowserView::engineLoaded()
{
    return module().engine != nullptr;
}

BrowserView::BrowserView(QWidget *parent, Browser::PageKind kind) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (Browser::Engine *e = engine()) {
        m_page.reset(e->createPage(this, kind));
        layout->addWidget(m_page->widget());
        setFocusProxy(m_page->widget());
        m_page->setLoadFinished([this](bool ok) { emit loadFinished(ok); });
        m_page->setUrlChanged([this](const QUrl &url) { emit urlChanged(url); });
        m_page->setLoadEnded([this](const QUrl &url, bool ok) { emit loadEnded(url, ok); });
        m_page->setRefused([this](Browser::Refusal what, const QUrl &url) { emit refused(what, url); });
        m_page->setProgramMessages([this](const QString &text) { emit programMessage(text); });
        return;
    }
    // No engine: pages still show, as rich text without scripts or style sheets.
    qWarning("tarnell: browser module %s not loaded: %s", qPrintable(modulePath()), qPrintable(loadError()));
    m_fallback = new QTextBrowser(this);
    m_fallback->setOpenLinks(true);
    m_fallback->setOpenExternalLinks(true);
    layout->addWidget(m_fallback);
    setFocusProxy(m_fallback);
    connect(m_fallback, &QTextBrowser::sourceChanged, this, &BrowserView::urlChanged);
}

BrowserView::~BrowserView() = default;

void BrowserView::load(const QUrl &url)
{
    if (m_page)
        m_page->load(url);
    else
        fallbackLoad(url);
}

void BrowserView::fallbackLoad(const QUrl &url)
{
    const auto handler = module().schemes.value(url.scheme().toLatin1());
    if (!handler) {
        m_fallback->setSource(url);
        const bool ok = !m_fallback->document()->isEmpty();
        QTimer::singleShot(0, this, [this, ok, url] {
            emit loadEnded(url, ok);
            emit loadFinished(ok);
        });
        return;
    }
    Browser::Reply reply = handler(url);
    QByteArray body = reply.data;
    if (reply.device) {
        body = reply.device->readAll();
        delete reply.device;
    }
    const bool ok = reply.status == Browser::Reply::Ok;
    QStringDecoder decode(charsetOf(reply.mimeType).constData());
    if (!decode.isValid())
        decode = QStringDecoder(QStringDecoder::Utf8);
    m_fallback->document()->setBaseUrl(url);
    m_fallback->setHtml(ok ? QString(decode(body)) : QString());
    emit urlChanged(url);
    QTimer::singleShot(0, this, [this, ok, url] {
        emit loadEnded(url, ok);
        emit loadFinished(ok);
    });
}

void BrowserView::setHtml(const QByteArray &html, const QUrl &baseUrl)
{
    if (m_page) {
        m_page->setHtml(html, baseUrl);
        return;
    }
    m_fallback->document()->setBaseUrl(baseUrl);
    m_fallback->setHtml(QString::fromUtf8(html));
    QTimer::singleShot(0, this, [this] { emit loadFinished(true); });
}

QUrl BrowserView::url() const
{
    return m_page ? m_page->url() : m_fallback->source();
}

void BrowserView::back()
{
    if (m_page)
        m_page->back();
    else if (m_fallback->isBackwardAvailable()) {
        m_fallback->backward();
        QTimer::singleShot(0, this, [this] { emit loadFinished(true); });
    }
}

void BrowserView::reload()
{
    if (m_page)
        m_page->reload();
    else
        m_fallback->reload();
}

void BrowserView::runJavaScript(const QString &script, std::function<void(const QVariant &)> done)
{
    if (m_page) {
        m_page->runJavaScript(script, std::move(done));
        return;
    }
    // No scripts without the engine.
    if (done)
        QTimer::singleShot(0, this, [done] { done(QVariant()); });
}

void BrowserView::print(QPrinter *printer)
{
    if (m_page) {
        m_page->print(printer, [printer](bool) { delete printer; });
        return;
    }
    m_fallback->print(printer);
    delete printer;
}

void BrowserView::setNavigationFilter(Browser::NavigationFilter filter)
{
    if (m_page)
        m_page->setNavigationFilter(std::move(filter));
}

void BrowserView::loadAt(const QUrl &url, const QPointF &position)
{
    if (m_page) {
        m_page->loadAt(url, position);
        return;
    }
    fallbackLoad(url);
    m_fallback->horizontalScrollBar()->setValue(int(position.x()));
    m_fallback->verticalScrollBar()->setValue(int(position.y()));
}

QPointF BrowserView::scrollPosition() const
{
    if (m_page)
        return m_page->scrollPosition();
    return QPointF(m_fallback->horizontalScrollBar()->value(), m_fallback->verticalScrollBar()->value());
}

void BrowserView::setProgramScript(const QString &source)
{
    if (m_page)
        m_page->setProgramScript(source);
}

void BrowserView::runProgramScript(const QString &script, std::function<void(const QVariant &)> done)
{
    if (m_page) {
        m_page->runProgramScript(script, std::move(done));
        return;
    }
    if (done)
        QTimer::singleShot(0, this, [done] { done(QVariant()); });
}

void BrowserView::abandonRenderer()
{
    if (m_page)
        m_page->abandonRenderer();
}

#include "previewpane.h"

#include "browserview.h"
#include "printing.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMimeDatabase>
#include <QPrinter>
#include <QStackedLayout>
#include <QUrl>
#include <QUrlQuery>

namespace {

const QByteArray kScheme = "tarnell-file";

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

// Serves local files under their own paths, with the preview file (whatever its name
// ends in) as an HTML page, so relative pictures and style sheets resolve beside it
// and pages of any size load.
Browser::Reply PreviewPane::serveFile(const QUrl &url)
{
    Browser::Reply reply;
    const QString path = url.path();
    const QFileInfo info(path);
    if (!info.isFile()) {
        reply.status = Browser::Reply::NotFound;
        return reply;
    }
    auto *file = new QFile(path);
    if (!file->open(QIODevice::ReadOnly)) {
        delete file;
        reply.status = Browser::Reply::Denied;
        return reply;
    }
    const QByteArray charset = QUrlQuery(url).queryItemValue("charset").toLatin1();
    if (path.endsWith(QLatin1String("$.tmp")))
        reply.mimeType = "text/html; charset=" + (charset.isEmpty() ? QByteArray("UTF-8") : charset);
    else
        reply.mimeType = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).name().toUtf8();
    reply.device = file;
    return reply;
}

void PreviewPane::registerScheme()
{
    static const bool done = BrowserView::addScheme(kScheme, serveFile);
    (void)done;
}

QUrl PreviewPane::fileUrl(const QString &path, const QByteArray &charset)
{
    QUrl url;
    url.setScheme(QString::fromLatin1(kScheme));
    url.setPath(QFileInfo(path).absoluteFilePath());
    if (!charset.isEmpty())
        url.setQuery(QStringLiteral("charset=") + QString::fromLatin1(charset));
    return url;
}

void PreviewPane::ensureBrowser()
{
    if (m_browser)
        return;
    registerScheme();
    m_browser = new BrowserView(this);
    m_browser->setObjectName("WebBrowser1");
    connect(m_browser, &BrowserView::loadFinished, this, &PreviewPane::loadFinished);
    m_stack->addWidget(m_browser);
}

void PreviewPane::showFile(const QString &path, const QByteArray &charset)
{
    m_charset = charset;
    m_file = path;
    ensureBrowser();
    m_stack->setCurrentWidget(m_browser);
    m_browser->load(fileUrl(path, charset));
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
    // Nothing shown yet: nothing to print.
    if (!m_browser || m_file.isEmpty())
        return;
    auto *printer = new QPrinter(QPrinter::HighResolution);
    if (!Printing::ChoosePrinter(dialogParent, *printer, false)) {
        delete printer;
        return;
    }
    m_browser->print(printer);
}

#include "helpviewer.h"

#include "platform/twips.h"

#include "platform/appenv.h"
#include "platform/browserview.h"
#include "platform/prompts.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <cmath>


namespace {

bool isOutside(const QUrl &url)
{
    const QString s = url.scheme();
    return s == QLatin1String("http") || s == QLatin1String("https") || s == QLatin1String("mailto");
}

}

QPointer<HelpViewer> HelpViewer::s_open;

QString HelpViewer::startPage()
{
    return AppEnv::inProgramFolder(QStringLiteral("help")) + QStringLiteral("/help.htm");
}

HelpViewer *HelpViewer::instance()
{
    return s_open;
}

HelpViewer *HelpViewer::showHelp(QWidget *parent)
{
    if (s_open) {
        s_open->show();
        s_open->setWindowState(s_open->windowState() & ~Qt::WindowMinimized);
        s_open->raise();
        s_open->activateWindow();
        return s_open;
    }
    const QFileInfo start(startPage());
    if (!start.isFile() || !start.isReadable()) {
        Prompts::info(parent, QStringLiteral("ヘルプファイルがありません"));
        return nullptr;
    }
    auto *viewer = new HelpViewer(parent);
    s_open = viewer;
    viewer->navigate(QUrl::fromLocalFile(start.absoluteFilePath()));
    viewer->show();
    return viewer;
}

HelpViewer::HelpViewer(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName("helpfrm");
    setWindowTitle(QStringLiteral("HELP"));
    setAttribute(Qt::WA_DeleteOnClose);

    QScreen *scr = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const double dx = scr ? scr->logicalDotsPerInchX() : 96.0;
    const double dy = scr ? scr->logicalDotsPerInchY() : 96.0;

    m_contents = new QPushButton(QStringLiteral("目次"), this);
    m_contents->setObjectName("Command1");
    m_contents->setToolTip(QStringLiteral("目次に戻る (Alt+Home)"));
    m_back = new QPushButton(QStringLiteral("戻る"), this);
    m_back->setObjectName("Command2");
    m_back->setToolTip(QStringLiteral("前のページに戻る (Alt+←)"));
    // Designed size of the buttons; a larger font makes them grow, never clip.
    const QSize design(Twips::toPixels(855, dx), Twips::toPixels(375, dy));
    const QSize button = design.expandedTo(m_contents->sizeHint()).expandedTo(m_back->sizeHint());
    m_contents->setGeometry(QRect(QPoint(0, 0), button));
    m_back->setGeometry(QRect(QPoint(Twips::toPixels(840, dx) + button.width() - design.width(), 0), button));

    // Help pages stay in the help window; links to the web open in the user's browser.
    auto *view = new BrowserView(this);
    view->setNavigationFilter([](const QUrl &url, Browser::Navigation how, bool) {
        if (how == Browser::Navigation::Link && isOutside(url)) {
            QDesktopServices::openUrl(url);
            return false;
        }
        return true;
    });
    connect(view, &BrowserView::loadFinished, this, &HelpViewer::pageLoaded);
    m_browser = view;
    m_browser->setObjectName("WebBrowser1");
    m_browser->move(0, std::max(Twips::toPixels(420, dy), button.height() + Twips::toPixels(45, dy)));

    connect(m_contents, &QPushButton::clicked, this, &HelpViewer::showContents);
    connect(m_back, &QPushButton::clicked, this, &HelpViewer::goBack);
    auto *back = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Left), this);
    connect(back, &QShortcut::activated, this, &HelpViewer::goBack);
    auto *home = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Home), this);
    connect(home, &QShortcut::activated, this, &HelpViewer::showContents);
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, &QWidget::close);

    // The pages are written for a reading width: start at least that large, within the screen.
    QSize size(std::max(Twips::toPixels(5835, dx), 820), std::max(Twips::toPixels(5100, dy), 680));
    if (const QScreen *screen = this->screen())
        size = size.boundedTo(screen->availableSize() * 0.9);
    resize(size);
    fit();
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::navigate(const QUrl &url)
{
    m_browser->load(url);
}

QUrl HelpViewer::currentUrl() const
{
    return m_browser->url();
}

void HelpViewer::showContents()
{
    navigate(QUrl::fromLocalFile(QFileInfo(startPage()).absoluteFilePath()));
}

void HelpViewer::goBack()
{
    m_browser->back();
}

void HelpViewer::fit()
{
    m_browser->resize(width(), std::max(0, height() - m_browser->y()));
}

void HelpViewer::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fit();
}

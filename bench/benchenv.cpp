#include "benchenv.h"

#include "pages.h"

#include "app/mainwindow.h"
#include "platform/appenv.h"
#include "platform/editarea.h"
#include "platform/previewpane.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QEvent>
#include <QPlainTextEdit>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <sys/resource.h>

namespace Bench {

namespace {

struct Folders {
    QTemporaryDir dir;
    QString program;
    QString pages;
    Folders()
    {
        if (!dir.isValid())
            qFatal("no temporary folder");
        program = dir.filePath("prog");
        pages = dir.filePath("pages");
        const QString settings = dir.filePath("config");
        for (const QString &f : {program, pages, settings})
            QDir().mkpath(f);
        QFile::copy(QStringLiteral(TARNELL_SOURCE_DIR "/resources/tmp.htm"), program + "/tmp.htm");
        AppEnv::setProgramFolder(program);
        AppEnv::setSettingsFolder(settings);
    }
};

Folders &folders()
{
    static Folders f;
    return f;
}

QString g_openPath;
long long g_paints = 0;

struct PaintCounter : QObject {
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++g_paints;
        return false;
    }
};
std::unique_ptr<MainWindow> g_window;

}

QString workFolder()
{
    return folders().dir.path();
}

QString pagePath(int scale, const QByteArray &encoding)
{
    return Pages::writePage(folders().pages, scale, encoding);
}

MainWindow &window()
{
    std::unique_ptr<MainWindow> &w = g_window;
    if (!w) {
        folders();
        Prompts::setAnswerer([](const QString &kind, const QString &) -> QString {
            if (kind == QLatin1String("open"))
                return g_openPath;
            if (kind == QLatin1String("ask"))
                return QString::number(int(QMessageBox::No));
            return QString();
        });
        w = std::make_unique<MainWindow>();
        static PaintCounter counter;
        w->edit()->viewport()->installEventFilter(&counter);
        w->show();
        w->startUp(QString());
        settle();
    }
    return *w;
}

void shutDown()
{
    if (g_window)
        g_window->history().removeFiles();
    g_window.reset();
    settle();
}

void open(const QString &path)
{
    g_openPath = path;
    window().openDocument();
    g_openPath.clear();
}

void settle()
{
    // Posted events first (deferred deletes, layout requests, update requests, which
    // paint), then whatever they posted in turn.
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

bool untilPreviewLoaded(const std::function<void()> &action, int timeoutMs)
{
    PreviewPane *p = window().preview();
    QEventLoop loop;
    bool ok = false;
    bool done = false;
    auto c = QObject::connect(p, &PreviewPane::loadFinished, &loop, [&](bool success) {
        ok = success;
        done = true;
        loop.quit();
    });
    action();
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done)
        loop.exec();
    QObject::disconnect(c);
    return ok;
}

long long editPaints()
{
    return g_paints;
}

double peakMemoryMiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB on Linux
}

}

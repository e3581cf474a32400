#include "app/mainwindow.h"
#include "app/splash.h"
#include "document/docpaths.h"
#include "document/preread.h"
#include "platform/previewpane.h"
#include "tools/livepreview.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QStringList>
#include <QTimer>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // The schemes of the preview and the live preview are known before any browser view
    // exists; the browser engine itself is loaded only when a browser is first shown, and the
    // shared OpenGL context it needs is made then too (BrowserView::engine()): made here, it
    // would load the OpenGL drivers at every start, the larger part of the start-up time under X.
    PreviewPane::registerScheme();
    LivePreview::registerScheme();
    QApplication app(argc, argv);
    QApplication::setApplicationName("tarnell");
    QApplication::setOrganizationName("tarnell");
    // The command line is one path: the arguments joined by single spaces. Its page is read
    // while the window is being built.
    const QString commandLine = QApplication::arguments().mid(1).join(QLatin1Char(' '));
    Preread::start(DocPaths::absolute(commandLine));

    // The standard dialogs (files, fonts, colours, printing) speak Japanese too.
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese), "qt", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);


    // One font for Latin and Japanese text alike, so captions line up and buttons
    // beside each other have one height.
    if (QFontDatabase::hasFamily(QStringLiteral("Noto Sans CJK JP"))) {
        QFont font(QStringLiteral("Noto Sans CJK JP"));
        font.setPointSizeF(QApplication::font().pointSizeF());
        QApplication::setFont(font);
    }

    // Wayland ties the window to tarnell.desktop and its icon.
    QGuiApplication::setDesktopFileName("tarnell");
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/pictures/tarnell-%1.png").arg(size));
    QApplication::setWindowIcon(icon);

    // The splash comes first and closes itself when start-up is done.
    auto *splash = new SplashWindow;
    splash->show();
    QCoreApplication::processEvents();

    MainWindow w;
    // "Start another instance" asks for a minimised window; its own children do not inherit that.
    if (qEnvironmentVariableIntValue("TARNELL_START_MINIMIZED") == 1) {
        qunsetenv("TARNELL_START_MINIMIZED");
        w.showMinimized();
    } else {
        w.show();
    }
    w.startUp(commandLine, splash->progress());
    // Benchmarks (bench/run) time start-up to the shown, idle window: with
    // TARNELL_EXIT_WHEN_IDLE=1 the program ends as soon as the event loop has run what
    // start-up left pending (layout, painting).
    if (qEnvironmentVariableIntValue("TARNELL_EXIT_WHEN_IDLE") == 1) {
        QTimer::singleShot(0, &app, [] {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            QCoreApplication::quit();
        });
    }
    return app.exec();
}

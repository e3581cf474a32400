#include "app/mainwindow.h"
#include "platform/previewpane.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

int main(int argc, char *argv[])
{
    PreviewPane::registerScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName("tarnell");
    QApplication::setOrganizationName("tarnell");

    // The standard dialogs (files, fonts, colours, printing) speak Japanese too.
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese), "qt", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    // The command line is one path: the arguments joined by single spaces.
    const QString commandLine = QApplication::arguments().mid(1).join(QLatin1Char(' '));

    MainWindow w;
    w.show();
    w.startUp(commandLine);
    return app.exec();
}

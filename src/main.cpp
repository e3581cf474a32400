#include "app/mainwindow.h"
#include "platform/previewpane.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    PreviewPane::registerScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName("tarnell");
    QApplication::setOrganizationName("tarnell");

    // The command line is one path: the arguments joined by single spaces.
    const QString commandLine = QApplication::arguments().mid(1).join(QLatin1Char(' '));

    MainWindow w;
    w.show();
    w.startUp(commandLine);
    return app.exec();
}

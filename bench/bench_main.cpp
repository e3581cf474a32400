// The benchmark program. Runs the Google Benchmark cases of this folder in one
// QApplication (offscreen unless QT_QPA_PLATFORM says otherwise); with
//   --make-pages FOLDER
// it only writes the benchmark pages there (for bench/run's whole-process figures) and
// prints their paths and sizes.
#include "benchenv.h"
#include "pages.h"

#include "platform/previewpane.h"
#include "tools/livepreview.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

void setDefault(const char *name, const char *value)
{
    if (!qEnvironmentVariableIsSet(name))
        qputenv(name, value);
}

}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--make-pages") == 0)
        return Pages::writeAll(QString::fromLocal8Bit(argv[2]));

    setDefault("QT_QPA_PLATFORM", "offscreen");
    setDefault("LANG", "C.UTF-8");
    setDefault("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    if (geteuid() == 0)
        setDefault("QTWEBENGINE_DISABLE_SANDBOX", "1");

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    PreviewPane::registerScheme();
    LivePreview::registerScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName("tarnell");
    QApplication::setOrganizationName("tarnell");

    benchmark::AddCustomContext("qt", qVersion());
    benchmark::AddCustomContext("platform", QGuiApplication::platformName().toStdString());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The main window and the browser go before the application object.
    Bench::shutDown();
    return 0;
}

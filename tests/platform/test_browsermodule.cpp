// The browser engine as a module: the executable does not link it, nothing loads it
// until the first browser view, and a view made through it serves pages from the
// program's own schemes, runs scripts and refuses what it should.
#include "platform/browserview.h"
#include "testutil.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

namespace {

// Libraries of the engine that start-up must not load.
const QStringList kEngineLibraries = {"libQt6WebEngine", "libQt6Quick", "libQt6Qml"};

QStringList engineLibrariesIn(const QString &text)
{
    QStringList found;
    for (const QString &lib : kEngineLibraries)
        if (text.contains(lib))
            found << lib;
    return found;
}

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QString loadedLibraries()
{
    QFile maps("/proc/self/maps");
    return maps.open(QIODevice::ReadOnly) ? QString::fromLatin1(maps.readAll()) : QString();
}

}

class TestBrowserModule : public QObject {
    Q_OBJECT

    QStringList requested;

public:
    static void initMain()
    {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox");
    }

private slots:
    void executableDoesNotLinkTheEngine()
    {
        const QString exe = QStringLiteral(TARNELL_BIN_DIR "/tarnell");
        QVERIFY2(QFile::exists(exe), qPrintable(exe));

        const QString needed = run("readelf", {"-d", "-W", exe});
        QVERIFY(needed.contains("libQt6Widgets"));
        QCOMPARE(engineLibrariesIn(needed), QStringList());
        // Nor through any library it links.
        const QString all = run("ldd", {exe});
        QVERIFY(all.contains("libQt6Core"));
        QCOMPARE(engineLibrariesIn(all), QStringList());

#ifdef TARNELL_WEBENGINE
        // The module, beside the executable, is where the engine went.
        const QString module = QStringLiteral(TARNELL_BIN_DIR "/tarnell-browser.so");
        QVERIFY2(QFile::exists(module), qPrintable(module));
        QVERIFY(run("readelf", {"-d", "-W", module}).contains("libQt6WebEngineWidgets"));
#endif
    }

    void firstViewLoadsTheModuleAndServesTheProgramsScheme()
    {
#ifndef TARNELL_WEBENGINE
        QSKIP("built without the browser module");
#endif
        // Registered before any view exists, as the program does at start-up.
        QVERIFY(BrowserView::addScheme("tarnell-test", [this](const QUrl &url) {
            requested << url.path();
            Browser::Reply r;
            if (url.path() == "/page.htm") {
                r.mimeType = "text/html; charset=Shift_JIS";
                // "日本" in Shift_JIS: the page arrives from memory in the named encoding.
                r.data = "<html><head><title>t</title></head><body><p id=p>\x93\xfa\x96\x7b</p>"
                         "<a id=out href=\"https://example.invalid/\">out</a>"
                         "<img src=\"pic.png\"></body></html>";
            } else {
                r.status = Browser::Reply::NotFound;
            }
            return r;
        }));
        QVERIFY(BrowserView::addScheme("tarnell-other", [](const QUrl &) { return Browser::Reply(); }));
        QVERIFY(!BrowserView::addScheme("tarnell-test", [](const QUrl &) { return Browser::Reply(); }));

        QVERIFY(!BrowserView::engineLoaded());
        QCOMPARE(engineLibrariesIn(loadedLibraries()), QStringList());

        BrowserView view;
        QVERIFY2(view.hasEngine(), qPrintable(BrowserView::loadError()));
        QVERIFY(BrowserView::engineLoaded());
        QVERIFY(loadedLibraries().contains("libQt6WebEngineCore"));
        // Too late for another scheme.
        QVERIFY(!BrowserView::addScheme("tarnell-late", [](const QUrl &) { return Browser::Reply(); }));

        QList<QPair<QUrl, Browser::Navigation>> asked;
        view.setNavigationFilter([&](const QUrl &url, Browser::Navigation how, bool) {
            asked << qMakePair(url, how);
            return how != Browser::Navigation::Link;
        });
        view.resize(400, 300);
        view.show();

        QSignalSpy loaded(&view, &BrowserView::loadFinished);
        view.load(QUrl("tarnell-test:/page.htm"));
        QVERIFY(loaded.wait(30000));
        QCOMPARE(loaded.first().first().toBool(), true);
        QCOMPARE(view.url(), QUrl("tarnell-test:/page.htm"));
        QVERIFY(!asked.isEmpty());
        QCOMPARE(asked.first().second, Browser::Navigation::Program);

        auto eval = [&](const QString &script) {
            QVariant result;
            bool done = false;
            view.runJavaScript(script, [&](const QVariant &v) {
                result = v;
                done = true;
            });
            [&] { QTRY_VERIFY_WITH_TIMEOUT(done, 20000); }();
            return result;
        };
        QCOMPARE(eval("document.getElementById('p').textContent").toString(), QString("日本"));
        // The picture was asked for relative to the page, through the same scheme.
        QTRY_VERIFY_WITH_TIMEOUT(requested.contains("/pic.png"), 20000);

        // A clicked link the filter refuses leaves the page where it is; so does a new window.
        const int windows = int(QApplication::topLevelWidgets().size());
        eval("document.getElementById('out').click(); window.open('tarnell-test:/page.htm'); 1");
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(asked.cbegin(), asked.cend(),
                                             [](const auto &a) { return a.second == Browser::Navigation::Link; }),
                                 20000);
        QTest::qWait(200);
        QCOMPARE(view.url(), QUrl("tarnell-test:/page.htm"));
        QCOMPARE(int(QApplication::topLevelWidgets().size()), windows);

        // A small page given as bytes, resolving against a base URL of the program's scheme.
        loaded.clear();
        requested.clear();
        view.setHtml("<html><body><img src=\"pic.png\"><p id=q>small</p></body></html>",
                     QUrl("tarnell-test:/sub/"));
        QVERIFY(loaded.wait(30000));
        QCOMPARE(eval("document.getElementById('q').textContent").toString(), QString("small"));
        QTRY_VERIFY_WITH_TIMEOUT(requested.contains("/sub/pic.png"), 20000);
    }
};

QTEST_MAIN(TestBrowserModule)
#include "test_browsermodule.moc"

// The help window on a help folder of its own: start page, back, contents, one window
// at a time, the missing-help message and the layout.
#include "platform/browserview.h"
#include "platform/prompts.h"
#include "testutil.h"
#include "tools/helpviewer.h"

#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <memory>

namespace {

void writePage(const QString &path, const QByteArray &html)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(html);
}

}

class TestHelpViewer : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolders> folders;
    QStringList messages;

    QUrl page(const QString &name) const { return QUrl::fromLocalFile(folders->program + "/help/" + name); }

    // Opens the viewer and waits for its start page.
    HelpViewer *open()
    {
        HelpViewer *v = HelpViewer::showHelp(nullptr);
        if (v)
            waitFor(v, page("help.htm"));
        return v;
    }
    static bool waitFor(HelpViewer *v, const QUrl &url)
    {
        return QTest::qWaitFor([&] { return v->currentUrl() == url; }, 20000);
    }

public:
    static void initMain()
    {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
            qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox");
    }

private slots:
    void init()
    {
        folders = std::make_unique<TestFolders>();
        QDir().mkpath(folders->program + "/help");
        writePage(folders->program + "/help/help.htm",
                  "<html><body><h1>目次</h1><a id=next href=\"page2.htm\">次</a></body></html>");
        writePage(folders->program + "/help/page2.htm", "<html><body><p>二ページ目</p></body></html>");
        messages.clear();
        Prompts::setAnswerer([this](const QString &kind, const QString &text) {
            messages << kind + ":" + text;
            return QString();
        });
    }
    void cleanup()
    {
        if (HelpViewer *v = HelpViewer::instance())
            delete v;
        Prompts::setAnswerer({});
        folders.reset();
    }

    void startPageBackAndContents()
    {
        HelpViewer *v = open();
        QVERIFY(v);
        QCOMPARE(v->objectName(), QString("helpfrm"));
        QCOMPARE(v->windowTitle(), QString("HELP"));
        QVERIFY(!v->isModal());
        auto *contents = v->findChild<QPushButton *>("Command1");
        auto *back = v->findChild<QPushButton *>("Command2");
        QCOMPARE(contents->text(), QString("目次"));
        QCOMPARE(back->text(), QString("戻る"));
        QCOMPARE(v->browser()->objectName(), QString("WebBrowser1"));
        QCOMPARE(v->currentUrl(), page("help.htm"));

        // No earlier page: back changes nothing.
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(v->currentUrl(), page("help.htm"));

        v->navigate(page("page2.htm"));
        QVERIFY(waitFor(v, page("page2.htm")));
        QTest::mouseClick(back, Qt::LeftButton);
        QVERIFY(waitFor(v, page("help.htm")));

        v->navigate(page("page2.htm"));
        QVERIFY(waitFor(v, page("page2.htm")));
        QTest::mouseClick(contents, Qt::LeftButton);
        QVERIFY(waitFor(v, page("help.htm")));
        QVERIFY(messages.isEmpty());
    }

    void oneWindowAtATime()
    {
        HelpViewer *v = open();
        QVERIFY(v);
        v->navigate(page("page2.htm"));
        QVERIFY(waitFor(v, page("page2.htm")));
        v->showMinimized();
        QCOMPARE(HelpViewer::showHelp(nullptr), v);  // brought forward, page kept
        QVERIFY(!(v->windowState() & Qt::WindowMinimized));
        QCOMPARE(v->currentUrl(), page("page2.htm"));
        QCOMPARE(QApplication::topLevelWidgets().count(v), 1);

        // Closing discards it; the next opening starts again at the start page.
        QPointer<HelpViewer> gone = v;
        v->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(gone.isNull());
        QVERIFY(!HelpViewer::instance());
        HelpViewer *again = open();
        QVERIFY(again);
        QCOMPARE(again->currentUrl(), page("help.htm"));
    }

    void missingHelp()
    {
        QDir(folders->program + "/help").removeRecursively();
        QCOMPARE(HelpViewer::showHelp(nullptr), nullptr);
        QCOMPARE(messages, QStringList{"info:ヘルプファイルがありません"});
        QVERIFY(!HelpViewer::instance());
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(w->objectName() != "helpfrm" || !w->isVisible());

        // A help folder without its start page is missing help too.
        QDir().mkpath(folders->program + "/help");
        messages.clear();
        QCOMPARE(HelpViewer::showHelp(nullptr), nullptr);
        QCOMPARE(messages, QStringList{"info:ヘルプファイルがありません"});
    }

    void startPageInAFolderThatEndsInASeparator()
    {
        // A program at the root of the file system: one separator, not two.
        AppEnv::setProgramFolder("/");
        QCOMPARE(HelpViewer::startPage(), QString("/help/help.htm"));
        AppEnv::setProgramFolder(folders->program + "/");
        QCOMPARE(HelpViewer::startPage(), folders->program + "/help/help.htm");
        HelpViewer *v = open();
        QVERIFY(v);
        v->navigate(page("page2.htm"));
        QVERIFY(waitFor(v, page("page2.htm")));
        v->showContents();
        QVERIFY(waitFor(v, page("help.htm")));
        AppEnv::setProgramFolder(folders->program);
    }

    void browserFillsTheWindow()
    {
        HelpViewer *v = HelpViewer::showHelp(nullptr);
        QVERIFY(v);
        const double dx = v->screen()->logicalDotsPerInchX(), dy = v->screen()->logicalDotsPerInchY();
        // At least the design size, large enough to read the pages, and on the screen.
        QVERIFY(v->width() >= qRound(5835 * dx / 1440) && v->height() >= qRound(5100 * dy / 1440));
        QVERIFY(v->width() >= 640 || v->width() >= v->screen()->availableSize().width() * 0.85);
        QVERIFY(v->width() <= v->screen()->availableSize().width());
        QVERIFY(v->height() <= v->screen()->availableSize().height());
        auto *contents = v->findChild<QPushButton *>("Command1");
        auto *back = v->findChild<QPushButton *>("Command2");
        QCOMPARE(contents->pos(), QPoint(0, 0));
        QVERIFY(back->x() >= contents->geometry().right());
        for (const QSize size : {QSize(640, 480), QSize(300, 200), QSize(900, 700)}) {
            v->resize(size);
            const QRect b = v->browser()->geometry();
            QCOMPARE(b.left(), 0);
            QVERIFY(b.top() > contents->geometry().bottom());
            QVERIFY(b.top() > back->geometry().bottom());
            QCOMPARE(b.right(), v->width() - 1);
            QCOMPARE(b.bottom(), v->height() - 1);
        }
    }
};

QTEST_MAIN(TestHelpViewer)
#include "test_helpviewer.moc"

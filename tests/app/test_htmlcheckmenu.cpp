// The HTML check from the main window: the Tools menu item and its key, the panel below
// the editor, the check after saving, and the panel's state kept between runs.
#include "app/mainwindow.h"
#include "platform/appenv.h"
#include "platform/editarea.h"
#include "platform/prompts.h"
#include "testutil.h"
#include "tools/checkpane.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestHtmlCheckMenu : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolders> folders;

    std::unique_ptr<MainWindow> start()
    {
        auto w = std::make_unique<MainWindow>();
        w->startUp(QString());
        return w;
    }

private slots:
    void init()
    {
        folders = std::make_unique<TestFolders>();
        QFile t(folders->program + "/tmp.htm");
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write("<html>\r\n<body>\r\n</body>\r\n</html>\r\n");
    }
    void cleanup()
    {
        Prompts::setAnswerer({});
        folders.reset();
    }

    void menuItemAndKey()
    {
        auto w = start();
        QAction *a = w->action("HtmlCheck");
        QVERIFY(a);
        QCOMPARE(a->text(), QStringLiteral("HTML をチェック(&C)"));
        QCOMPARE(a->shortcut(), QKeySequence(Qt::Key_F8));
        QVERIFY(w->menu("mmTool")->actions().contains(a));
        // No other menu item has the key.
        for (QAction *other : w->findChildren<QAction *>())
            if (other != a)
                QVERIFY2(other->shortcut() != a->shortcut(), qPrintable(other->objectName()));

        auto *pane = w->findChild<CheckPane *>("CheckPane");
        QVERIFY(pane);
        QCOMPARE(w->dockWidgetArea(pane), Qt::BottomDockWidgetArea);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(!pane->isVisible());  // closed until asked for

        w->edit()->setText(QStringLiteral("<p>ｶﾅ</p>"));
        w->edit()->setFocus();
        QSignalSpy done(pane, &CheckPane::checkFinished);
        QTest::keyClick(w->edit(), Qt::Key_F8);  // the key works while typing
        QVERIFY(pane->isVisible());
        QVERIFY(done.wait(20000));
        QVERIFY(pane->model()->rowCount() > 0);
        QVERIFY(pane->windowTitle().contains(QStringLiteral("件")));
    }

    void checkAfterSavingWhenAsked()
    {
        const QString path = folders->path("page.htm");
        Prompts::setAnswerer([path](const QString &kind, const QString &) {
            return kind == QLatin1String("save") ? path : QString();
        });
        auto w = start();
        auto *pane = w->findChild<CheckPane *>("CheckPane");
        w->edit()->setText(QStringLiteral("<img src=\"nothere.gif\">"));
        QVERIFY(w->saveAs());
        QVERIFY(!pane->isRunning());  // off by default

        pane->setCheckAfterSave(true);
        QSignalSpy done(pane, &CheckPane::checkFinished);
        w->edit()->insert(QStringLiteral("x"));
        QVERIFY(w->save());
        QVERIFY(done.wait(20000));
        bool link = false;
        for (int r = 0; r < pane->model()->rowCount(); ++r)
            link = link || pane->model()->finding(r).message.contains(QStringLiteral("nothere.gif"));
        QVERIFY(link);  // the saved page's folder is where links are looked for
    }

    void panelStateKept()
    {
        {
            auto w = start();
            w->show();
            QSignalSpy done(w->findChild<CheckPane *>("CheckPane"), &CheckPane::checkFinished);
            w->action("HtmlCheck")->trigger();
            QVERIFY(done.wait(20000));
            QVERIFY(w->shutDown());
        }
        {
            auto w = start();
            w->show();
            auto *pane = w->findChild<CheckPane *>("CheckPane");
            QVERIFY(pane->isVisible());
            pane->close();
            QVERIFY(w->shutDown());
        }
        auto w = start();
        w->show();
        QVERIFY(!w->findChild<CheckPane *>("CheckPane")->isVisible());
    }
};

QTEST_MAIN(TestHtmlCheckMenu)
#include "test_htmlcheckmenu.moc"

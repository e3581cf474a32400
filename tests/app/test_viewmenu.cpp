// The View menu in the main window: where it sits, its switches and their keys, and that
// the switches come back after a restart.
#include "app/mainwindow.h"
#include "editing/editview.h"
#include "editing/livehighlight.h"
#include "platform/editarea.h"
#include "testutil.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

class TestViewMenu : public QObject {
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
        QFile f(folders->program + "/tmp.htm");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html>\r\n<body>\r\n<div>x</div>\r\n</body>\r\n</html>\r\n");
    }
    void cleanup() { folders.reset(); }

    void menuBetweenMarkerAndTag()
    {
        auto w = start();
        QStringList order;
        for (QAction *a : w->menuBar()->actions())
            if (a->menu())
                order << a->menu()->objectName();
        const int view = int(order.indexOf("mmView"));
        QVERIFY(view > 0);
        QCOMPARE(order[view - 1], QString("hyoji"));
        QCOMPARE(order[view + 1], QString("TagS"));
        QCOMPARE(w->menu("mmView")->title(), QString("表示(&W)"));
        const QStringList captions = {"入力中に色分け", "行番号", "カーソル行を強調", "空白文字を表示",
                                      "タブを表示", "改行を表示", "折り返し"};
        for (int o = 0; o < EditView::OptionCount; ++o) {
            QAction *a = w->action(EditView::info(EditView::Option(o)).name);
            QVERIFY(a);
            QVERIFY(a->isCheckable());
            QCOMPARE(a->text(), captions[o]);
            QCOMPARE(a->isChecked(), EditView::info(EditView::Option(o)).byDefault);
        }
        // No key of the new commands is taken by another command.
        QHash<QString, QString> keys;
        for (QAction *a : w->findChildren<QAction *>()) {
            for (const QKeySequence &k : a->shortcuts()) {
                QVERIFY2(!keys.contains(k.toString()), qPrintable(k.toString() + " " + a->objectName()));
                keys.insert(k.toString(), a->objectName());
            }
        }
        QCOMPARE(keys.value("Ctrl+M"), QString("viewJumpPair"));
    }

    void switchesActAndComeBack()
    {
        {
            auto w = start();
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            EditView *v = w->view();
            for (const char *name : {"viewHighlight", "viewLineNumbers", "viewWhitespace", "viewWrap", "viewLineEnds"})
                w->action(name)->trigger();
            QVERIFY(!v->highlighter()->isEnabled());
            QVERIFY(!v->gutter()->isVisible());
            QVERIFY(!v->option(EditView::Whitespace));
            QVERIFY(v->option(EditView::LineEnds));
            QCOMPARE(w->edit()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
            QVERIFY(w->shutDown());
        }
        auto w = start();
        EditView *v = w->view();
        QVERIFY(!w->action("viewHighlight")->isChecked());
        QVERIFY(!v->highlighter()->isEnabled());
        QVERIFY(!w->action("viewLineNumbers")->isChecked());
        QVERIFY(!w->action("viewWhitespace")->isChecked());
        QVERIFY(w->action("viewLineEnds")->isChecked());
        QVERIFY(w->action("viewCurrentLine")->isChecked());
        QCOMPARE(w->edit()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    }

    void keysInTheEditor()
    {
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        EditArea *e = w->edit();
        e->setFocus();
        const qreal size = e->font().pointSizeF();
        QTest::keyClick(e, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(e->font().pointSizeF(), size + 1);
        QTest::keyClick(e, Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(e->font().pointSizeF(), size - 1);
        QTest::keyClick(e, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(e->font().pointSizeF(), size);
        // Ctrl+M jumps from <div> to </div> and back; the text stays as it was.
        const QString text = e->text();
        e->setSelStart(text.indexOf("<div>") + 1);
        QTest::keyClick(e, Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(e->selStart(), text.indexOf("</div>") + 2);
        QCOMPARE(e->text(), text);
        QVERIFY(!w->isModified());
    }
};

QTEST_MAIN(TestViewMenu)
#include "test_viewmenu.moc"

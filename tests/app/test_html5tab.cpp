// The HTML5 tab of the palette, the completion switch of the View menu and the
// character-reference commands of the Edit menu, in the real window.
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include "app/mainwindow.h"
#include "app/palettetable.h"
#include "editing/tagcompleter.h"
#include "editing/tagtables.h"
#include "platform/editarea.h"
#include "testutil.h"

class TestHtml5Tab : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolders> folders;

    std::unique_ptr<MainWindow> start()
    {
        auto w = std::make_unique<MainWindow>();
        w->startUp(QString());
        return w;
    }

    static const PaletteTab &html5Tab() { return PaletteTable::tabs().back(); }

private slots:
    void init()
    {
        folders = std::make_unique<TestFolders>();
        QFile f(folders->program + "/tmp.htm");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html>\r\n<body>\r\n</body>\r\n</html>\r\n");
    }
    void cleanup() { folders.reset(); }

    void buttonsInTableOrder()
    {
        QCOMPARE(QString::fromUtf8(html5Tab().caption), QString("HTML5(&9)"));
        // H5Command(0), (1) … in the order of the list of what the tab offers.
        const QStringList expected = {
            "<header>", "<nav>", "<main>", "<section>", "<article>", "<aside>", "<footer>", "<figure>",
            "<details><summary></summary>", "<mark>", "<time datetime=\"\">", "<picture>\n<source",
            "<video controls>\n<source", "<audio controls>\n<source",
            "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">",
            "<link rel=\"stylesheet\" href=\"\">", "<script src=\"\" defer></script>", "<input type=\"email\">",
            "<input type=\"tel\">", "<input type=\"url\">", "<input type=\"date\">", "<input type=\"number\">",
            "<input type=\"range\">", "<input type=\"color\">"};
        int n = 0;
        for (const PaletteItem &item : html5Tab().items) {
            if (!QByteArray(item.name).startsWith("H5Command"))
                continue;
            QCOMPARE(QString(item.name), QString("H5Command(%1)").arg(n));
            const QString text = item.kind == PaletteItem::Pair ? TagTables::pairTags()[item.index].start
                                                                : TagTables::singleTags()[item.index];
            QVERIFY2(text.startsWith(expected[n]), item.name);
            ++n;
        }
        QCOMPARE(n, int(expected.size()));
        // The classic entries stay as they were; the Tag menu lists only those.
        QCOMPARE(TagTables::pairTags()[39].start, QString("<!--"));
        QCOMPARE(TagTables::singleTags()[23], QString("bgcolor="));
    }

    void everyButtonInserts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");  // "|" marks the caret
        for (const PaletteItem &item : html5Tab().items) {
            if (!QByteArray(item.name).startsWith("H5Command"))
                continue;
            QString expected;
            if (item.kind == PaletteItem::Pair) {
                const PairTag &t = TagTables::pairTags()[item.index];
                expected = "[" + t.start + "sel|" + t.end + "]";  // wrapped, caret before the end
            } else {
                expected = "[" + TagTables::singleTags()[item.index] + "|]";  // in place of the selection
            }
            QTest::newRow(item.name) << QString(item.name) << expected;
        }
    }

    void everyButtonInserts()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        auto w = start();
        EditArea *e = w->edit();
        e->setText("[sel]");
        e->select(1, 3);
        QPushButton *b = child<QPushButton>(w.get(), name);
        b->click();
        QString got = e->text();
        got.insert(e->selStart(), '|');
        QCOMPARE(got, expected);
        QVERIFY(e->hasFocus() || !w->isVisible());
        // The tool-tip shows the text it inserts.
        QString tip = expected;
        tip.remove('[').remove(']').remove('|');
        QCOMPARE(b->toolTip(), tip.replace("sel", "…"));
    }

    void tabFitsTheWindow()
    {
        auto w = start();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        auto *tabs = child<QTabWidget>(w.get(), "SSTab1");
        QCOMPARE(tabs->count(), 9);
        QCOMPARE(tabs->tabText(8), QString("HTML5(&9)"));
        QWidget *page = tabs->widget(8);
        // The tab needs no more width than the widest of the others, nor more height.
        int widest = 0, tallest = 0;
        for (int i = 0; i < 8; ++i) {
            widest = qMax(widest, tabs->widget(i)->minimumSizeHint().width());
            tallest = qMax(tallest, tabs->widget(i)->sizeHint().height());
        }
        QVERIFY2(page->minimumSizeHint().width() <= qMax(widest, 1000 - 40),
                 qPrintable(QString::number(page->minimumSizeHint().width())));
        QVERIFY2(page->sizeHint().height() <= tallest,
                 qPrintable(QString("%1 > %2, width %3 of %4").arg(page->sizeHint().height()).arg(tallest)
                                .arg(page->minimumSizeHint().width()).arg(widest)));
        for (const char *name : {"H5Ruby", "H5Vertical", "H5Command(0)", "H5Command(23)"}) {
            QWidget *b = child<QWidget>(w.get(), name);
            QVERIFY(page->isAncestorOf(b));
        }
        QCOMPARE(child<QPushButton>(w.get(), "H5Ruby")->text(), QString("ルビ"));
        QCOMPARE(child<QPushButton>(w.get(), "H5Vertical")->text(), QString("縦書き"));
    }

    void verticalButton()
    {
        auto w = start();
        EditArea *e = w->edit();
        e->setText("<p>12月</p>");
        e->select(3, 2);
        child<QPushButton>(w.get(), "H5Vertical")->click();
        QCOMPARE(e->text(), QString("<p><span style=\"text-combine-upright: all;\">12</span>月</p>"));
        // Inside a style block, the rules alone.
        e->setText("<style>\n\n</style>");
        e->setSelStart(8);
        child<QPushButton>(w.get(), "H5Vertical")->click();
        QVERIFY(e->text().startsWith("<style>\n.tate { writing-mode: vertical-rl; }\n"));
        QVERIFY(!e->text().mid(8).contains("<style>"));
    }

    void completionSwitch()
    {
        {
            auto w = start();
            QAction *a = w->action("viewComplete");
            QVERIFY(a);
            QCOMPARE(a->text(), QString("タグの補完"));
            QVERIFY(a->isCheckable());
            QVERIFY(a->isChecked());
            QVERIFY(w->menu("mmView")->actions().contains(a));
            QVERIFY(w->completer()->isEnabled());
            a->trigger();
            QVERIFY(!w->completer()->isEnabled());
            QVERIFY(w->shutDown());
        }
        auto w = start();
        QVERIFY(!w->action("viewComplete")->isChecked());
        QVERIFY(!w->completer()->isEnabled());
    }

    void characterReferenceCommands()
    {
        auto w = start();
        EditArea *e = w->edit();
        QAction *to = w->action("ToCharRef");
        QAction *from = w->action("FromCharRef");
        QCOMPARE(to->text(), QString("文字参照に変換"));
        QCOMPARE(from->text(), QString("文字参照を文字に戻す"));
        QVERIFY(w->menu("mmHensyu")->actions().contains(to));
        QVERIFY(w->menu("mmHensyu")->actions().contains(from));
        const QString text = "<p>日本語" + QString::fromUcs4(U"𠮷") + "</p>";
        e->setText(text);
        e->select(3, 5);
        QSignalSpy changes(e, &EditArea::textEdited);
        to->trigger();
        QCOMPARE(e->text(), QString("<p>&#x65E5;&#x672C;&#x8A9E;&#x20BB7;</p>"));
        QCOMPARE(changes.count(), 1);  // one change
        e->select(3, 33);
        from->trigger();
        QCOMPARE(e->text(), text);
    }
};

QTEST_MAIN(TestHtml5Tab)
#include "test_html5tab.moc"

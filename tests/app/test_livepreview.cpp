// The live preview beside the editor, with the real browser engine: the View menu switch and
// its memory, updates after the pause read back from the page, the scroll position kept and
// the editor followed, Ctrl+click back to the source, what the page may not do, and that
// nothing is written beside the document.
#include "app/mainwindow.h"
#include "platform/browserview.h"
#include "platform/editarea.h"
#include "platform/previewpane.h"
#include "platform/prompts.h"
#include "tools/livepreview.h"
#include "testutil.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QtTest>
#include <memory>

namespace {

// Lets the test move the splitter as a drag of its handle does.
struct DraggedSplitter : QSplitter {
    using QSplitter::moveSplitter;
};

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

}

class TestLivePreview : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolders> folders;
    QString site;

    std::unique_ptr<MainWindow> start(const QString &commandLine = QString())
    {
        auto w = std::make_unique<MainWindow>();
        w->startUp(commandLine);
        w->resize(1000, 700);
        w->show();
        return w;
    }

    QString writePage(const QString &name, const QByteArray &bytes)
    {
        QFile f(site + "/" + name);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(f.fileName()));
        f.write(bytes);
        return f.fileName();
    }

    // Turns the preview on and waits for its first page; false when the engine cannot run here.
    bool turnOn(MainWindow *w)
    {
        QSignalSpy updated(w->livePreview(), &LivePreview::updated);
        if (!w->action("viewLivePreview")->isChecked())
            w->action("viewLivePreview")->trigger();
        if (!w->livePreview()->view() || !w->livePreview()->view()->hasEngine())
            return false;
        waitForUpdate(w, updated);
        return true;
    }

    static void waitForUpdate(MainWindow *w, QSignalSpy &updated)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!updated.isEmpty() && !w->livePreview()->isBusy(), 30000);
        QVERIFY(updated.last().first().toBool());
    }

    // Serves the editor's text now and waits until the page shows it.
    static void updateNow(MainWindow *w)
    {
        QSignalSpy updated(w->livePreview(), &LivePreview::updated);
        w->livePreview()->updateNow();
        waitForUpdate(w, updated);
    }

    // What a page shows and holds: its title, its text, every element and attribute (the line
    // marks too).
    static QString pageState(BrowserView *view)
    {
        return eval(view, "document.title + '\\n' + document.body.innerText + '\\n' + "
                          "document.documentElement.outerHTML")
            .toString();
    }

    static QVariant eval(BrowserView *view, const QString &script)
    {
        QVariant result;
        bool done = false;
        view->runJavaScript(script, [&](const QVariant &v) {
            result = v;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 20000))
            qWarning("no answer from the page");
        return result;
    }

private slots:
    void init()
    {
        folders = std::make_unique<TestFolders>();
        site = folders->path("サイト");
        QDir().mkpath(site);
        QFile f(folders->program + "/tmp.htm");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("<html>\r\n<body>\r\n</body>\r\n</html>\r\n");
    }
    void cleanup()
    {
        Prompts::setAnswerer({});
        folders.reset();
    }

    void switchShowsAndHidesAndIsRemembered()
    {
        {
            auto w = start();
            QAction *a = w->action("viewLivePreview");
            QVERIFY(a);
            QVERIFY(w->menu("mmView")->actions().contains(a));
            QCOMPARE(a->text(), QString("ライブプレビュー(&P)"));
            QVERIFY(a->isCheckable());
            QVERIFY(!a->isChecked());
            // Off by default: no browser is made for it.
            QVERIFY(!w->findChild<BrowserView *>("LivePreview"));

            a->trigger();
            auto *view = w->findChild<BrowserView *>("LivePreview");
            QVERIFY(view);
            if (!view->hasEngine())
                QSKIP("the browser engine does not run here; the live preview needs it");
            QVERIFY(view->isVisible());
            // In the editing tab, right of the editor in a window wider than tall.
            auto *split = w->findChild<QSplitter *>("LivePreviewSplitter");
            QCOMPARE(w->viewTabs()->widget(0), split);
            QCOMPARE(split->widget(0), static_cast<QWidget *>(w->edit()));
            QCOMPARE(split->widget(1), static_cast<QWidget *>(view));
            QCOMPARE(split->orientation(), Qt::Horizontal);
            // (The palette keeps the window at least about 1000 pixels wide.)
            w->resize(600, 1600);
            QTRY_COMPARE(split->orientation(), Qt::Vertical);
            w->resize(1000, 700);
            QTRY_COMPARE(split->orientation(), Qt::Horizontal);

            // The user moves the splitter: the editor keeps that share.
            static_cast<DraggedSplitter *>(split)->moveSplitter(split->width() / 4, 1);
            const double share = double(split->sizes()[0]) / (split->sizes()[0] + split->sizes()[1]);
            QVERIFY2(share < 0.35, qPrintable(QString::number(share)));

            a->trigger();
            QVERIFY(!view->isVisible());
            QVERIFY(w->edit()->isVisible());
            a->trigger();
            QVERIFY(view->isVisible());
            Prompts::setAnswerer([](const QString &, const QString &) { return QString::number(QMessageBox::No); });
            QVERIFY(w->shutDown());
        }
        // After a restart the preview is on again, with the splitter where it was.
        auto w = start();
        QVERIFY(w->action("viewLivePreview")->isChecked());
        auto *view = w->findChild<BrowserView *>("LivePreview");
        QVERIFY(view);
        QVERIFY(view->isVisible());
        auto *split = w->findChild<QSplitter *>("LivePreviewSplitter");
        QTRY_VERIFY(split->sizes()[0] > 0);
        const double share = double(split->sizes()[0]) / (split->sizes()[0] + split->sizes()[1]);
        QVERIFY2(share < 0.35, qPrintable(QString::number(share)));
        w->action("viewLivePreview")->trigger();
        QVERIFY(!view->isVisible());
    }

    void typingUpdatesThePageAfterThePause()
    {
        QImage pic(7, 5, QImage::Format_RGB32);
        pic.fill(Qt::blue);
        QVERIFY(pic.save(site + "/pic.png"));
        // A Shift_JIS page: "<title>題名</title>" and "<p id=t>本文</p>".
        const QString page = writePage("index.htm", "<html>\n<head><title>\x91\xe8\x96\xbc</title></head>\n<body>\n"
                                                    "<p id=t>\x96\x7b\x95\xb6</p>\n<img src=\"pic.png\">\n</body>\n</html>\n");
        const QStringList before = entries(site);
        auto w = start(page);
        QCOMPARE(w->documentFormat().encoding, QByteArray("Shift_JIS"));
        if (!turnOn(w.get()))
            QSKIP("the browser engine does not run here; the live preview needs it");
        BrowserView *view = w->livePreview()->view();
        QCOMPARE(eval(view, "document.title + '|' + document.getElementById('t').textContent + '|' + "
                            "document.characterSet + '|' + document.images[0].naturalWidth")
                     .toString(),
                 QString("題名|本文|Shift_JIS|7"));
        // Served under the document's own folder.
        QCOMPARE(view->url().path(), page);
        QCOMPARE(view->url().scheme(), QString("tarnell-live"));

        // Keys typed: the page stays as it is until the typing pauses.
        QSignalSpy updated(w->livePreview(), &LivePreview::updated);
        w->edit()->setFocus();
        const int at = int(w->edit()->text().indexOf("</p>"));
        w->edit()->setSelStart(at);
        QTest::keyClicks(w->edit(), "abc");
        QTest::keyClick(w->edit(), Qt::Key_Home);
        QTest::keyClicks(w->edit(), "X");
        QVERIFY(updated.isEmpty());
        QVERIFY(w->livePreview()->delay() >= 300);
        waitForUpdate(w.get(), updated);
        QCOMPARE(updated.size(), 1);  // one update for the whole burst
        QCOMPARE(eval(view, "document.getElementById('t').textContent").toString(), QString("本文abc"));
        QVERIFY(eval(view, "document.body.textContent").toString().contains("X"));
        // The keyboard stayed with the editor throughout.
        QVERIFY(w->edit()->hasFocus());

        // Every copy is of one origin (the renderer is kept between updates): what the page
        // stores for its session is still there after the next update.
        QCOMPARE(eval(view, "sessionStorage.setItem('kept', 'yes'); location.origin").toString(),
                 QString("tarnell-live://page"));

        // A new title from the editor.
        updated.clear();
        const int title = int(w->edit()->text().indexOf("題名"));
        w->edit()->select(title, 2);
        w->edit()->insert("新しい題");
        waitForUpdate(w.get(), updated);
        QCOMPARE(eval(view, "document.title").toString(), QString("新しい題"));
        QCOMPARE(eval(view, "sessionStorage.getItem('kept')").toString(), QString("yes"));

        // The lines are marked in the page only; the text in the editor has no marks.
        QCOMPARE(eval(view, "document.getElementById('t').getAttribute('data-tarnell-line')").toString(), QString("4"));
        QVERIFY(!w->edit()->text().contains("data-tarnell-line"));
        // Nothing was written beside the document: no preview file, no copy.
        QCOMPARE(entries(site), before);
        QVERIFY(!QFile::exists(page + "$.tmp"));
    }

    void scrollIsKeptAndTheEditorFollowed()
    {
        QByteArray html = "<html><body>\n";
        for (int i = 1; i <= 300; ++i)
            html += "<p id=p" + QByteArray::number(i) + ">paragraph " + QByteArray::number(i) + "</p>\n";
        html += "</body></html>\n";
        // Line n + 1 holds paragraph n.
        const QString page = writePage("long.htm", html);
        auto w = start(page);
        if (!turnOn(w.get()))
            QSKIP("the browser engine does not run here; the live preview needs it");
        BrowserView *view = w->livePreview()->view();

        // The reader scrolls the page to paragraph 150 and puts the caret on its line.
        eval(view, "window.scrollTo(0, document.getElementById('p150').offsetTop); 1");
        const int y = eval(view, "window.scrollY").toInt();
        QVERIFY(y > 1000);
        QTRY_COMPARE_WITH_TIMEOUT(int(view->scrollPosition().y()), y, 10000);
        QSignalSpy updated(w->livePreview(), &LivePreview::updated);
        const QTextBlock line = w->edit()->document()->findBlockByNumber(150);
        w->edit()->setSelStart(line.position() + int(line.text().indexOf("</p>")));
        w->edit()->insert(" edited");
        waitForUpdate(w.get(), updated);
        QCOMPARE(eval(view, "document.getElementById('p150').textContent").toString(), QString("paragraph 150 edited"));
        QCOMPARE(eval(view, "window.scrollY").toInt(), y);

        // The caret moves to the top: the page follows.
        w->edit()->setSelStart(w->edit()->document()->findBlockByNumber(5).position());
        QTRY_VERIFY_WITH_TIMEOUT(eval(view, "window.scrollY").toInt() < 300, 10000);
        // The editor is scrolled down to paragraph 250: it comes to the top of the page.
        w->edit()->verticalScrollBar()->setValue(250);
        const int top = eval(view, "document.getElementById('p250').offsetTop").toInt();
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(eval(view, "window.scrollY").toInt() - top) <= 2, 10000);

        // Ctrl+click on paragraph 260 puts the caret on its line, and goes nowhere.
        const QUrl url = view->url();
        eval(view, "document.getElementById('p260').dispatchEvent(new MouseEvent('click', "
                   "{bubbles: true, cancelable: true, ctrlKey: true})); 1");
        QTRY_COMPARE_WITH_TIMEOUT(w->edit()->textCursor().blockNumber(), 260, 10000);
        QCOMPARE(w->edit()->textCursor().positionInBlock(), 0);
        QCOMPARE(view->url(), url);

        // Typing near the top: the page about to be replaced is left where it is while the pause
        // runs (moving it would only repaint the old page), and the caret's paragraph comes
        // into view once the new copy is shown.
        updated.clear();
        const int reading = eval(view, "window.scrollY").toInt();
        QVERIFY(reading > 1000);
        const QTextBlock near = w->edit()->document()->findBlockByNumber(20);
        w->edit()->setSelStart(near.position() + int(near.text().indexOf("</p>")));
        w->edit()->insert("!");
        QTest::qWait(200);  // past the following's delay, within the pause
        QCOMPARE(eval(view, "window.scrollY").toInt(), reading);
        waitForUpdate(w.get(), updated);
        QTRY_VERIFY_WITH_TIMEOUT(eval(view, "window.scrollY").toInt() < 1000, 10000);
        QCOMPARE(eval(view, "document.getElementById('p20').textContent").toString(), QString("paragraph 20!"));
    }

    // A page without scripts is changed in place; after each change it must be exactly what a
    // load of the same text gives: text, title, every element and attribute, the line marks.
    void inPlaceUpdatesShowWhatALoadShows()
    {
        // Shift_JIS: "<title>見本</title>", paragraphs "一つ目" / "二つ目", a table, a list.
        const QString page = writePage(
            "static.htm", "<!DOCTYPE html>\n<html lang=ja>\n<head><title>\x8c\xa9\x96\x7b</title>\n"
                          "<style>p { margin: 2px }</style></head>\n<body bgcolor=\"#FFFFFF\">\n"
                          "<h1>head &amp; line</h1>\n<p id=a>\x88\xea\x82\xc2\x96\xda</p>\n<!-- note -->\n"
                          "<div><p id=b>\x93\xf1\x82\xc2\x96\xda<br>\nmore</p>\n<ul><li>x\n<li>y</ul></div>\n"
                          "<table><tr><td>1<td>2\n<tr><td>3<td>4</table>\n<template><p>t</p></template>\n"
                          "<p id=end>end</p>\n</body>\n</html>\n");
        auto w = start(page);
        if (!turnOn(w.get()))
            QSKIP("the browser engine does not run here; the live preview needs it");
        LivePreview *live = w->livePreview();
        BrowserView *view = live->view();
        EditArea *edit = w->edit();
        const auto replace = [&](const QString &what, const QString &with) {
            const int at = int(edit->text().indexOf(what));
            QVERIFY2(at >= 0, qPrintable(what));
            edit->select(at, int(what.size()));
            edit->insert(with);
        };
        struct Edit {
            const char *what;
            QString from, to;
        };
        const Edit edits[] = {
            {"text in a paragraph", "一つ目", "一つ目とその続き"},
            {"a new line with an element above others", "<!-- note -->", "<p id=new>新しい段落</p>\n<!-- note -->"},
            {"lines removed inside an element", "<br>\nmore", " less"},
            {"an attribute of the body", "bgcolor=\"#FFFFFF\"", "bgcolor=\"#FFEEDD\" text=navy"},
            {"an element left open", "<p id=end>", "<b><p id=end>"},
            {"a table row", "<tr><td>3", "<tr><td>2.5<td>x\n<tr><td>3"},
            {"an element removed", "<ul><li>x\n<li>y</ul>", ""},
        };
        for (const Edit &e : edits) {
            replace(e.from, e.to);
            updateNow(w.get());
            QVERIFY2(live->lastInPlace(), e.what);
            const QString patched = pageState(view);
            live->setInPlace(false);
            updateNow(w.get());
            live->setInPlace(true);
            QVERIFY(!live->lastInPlace());
            QCOMPARE(patched, pageState(view));
        }
        QVERIFY(pageState(view).contains("一つ目とその続き"));

        // A new title is outside the body: the copy is loaded.
        replace("見本", "別の題");
        updateNow(w.get());
        QVERIFY(!live->lastInPlace());
        QCOMPARE(eval(view, "document.title").toString(), QString("別の題"));
        // So is every copy of a page with a script (what it did to its document is unknown),
        // and the first one after it.
        replace("<p id=end>", "<script>document.title = 'ran'</script><p id=end>");
        updateNow(w.get());
        QVERIFY(!live->lastInPlace());
        QCOMPARE(eval(view, "document.title").toString(), QString("ran"));
        replace("<script>document.title = 'ran'</script>", "");
        updateNow(w.get());
        QVERIFY(!live->lastInPlace());
        QCOMPARE(eval(view, "document.title").toString(), QString("別の題"));
        replace("end</p>", "the end</p>");
        updateNow(w.get());
        QVERIFY(live->lastInPlace());
        QCOMPARE(eval(view, "document.getElementById('end').textContent").toString(), QString("the end"));
    }

    // A page with scripts is changed in place only where that is safe: new text and attribute
    // values of elements that stay, which the page's scripts have not changed since the load
    // (they may have added elements elsewhere); then it equals a load of the same text and the
    // scripts keep their state. Everything else is loaded.
    void scriptedPagesUpdateInPlaceOnlyWhereSafe()
    {
        TextFormat sjis;
        sjis.encoding = "Shift_JIS";
        sjis.lineEnd = LineEnd::LF;
        const QString page = writePage(
            "scripted.htm",
            encodeTextFile("<!DOCTYPE html>\n<html lang=ja>\n<head><meta charset=\"Shift_JIS\">\n"
                           "<title>台本のあるページ</title>\n"
                           "<script>var loadedAt = Math.random(); var counter = 0;</script>\n</head>\n<body>\n"
                           "<h1 id=h>見出し &amp; 記号</h1>\n<p id=a class=x>一つ目の段落</p>\n"
                           "<p id=b>同じ文</p>\n<p id=c>同じ文</p>\n<pre id=pre>\n  整形済み\n</pre>\n"
                           "<textarea id=ta>入力欄</textarea>\n"
                           "<p><a id=link href=\"one.htm\">リンク</a> <a id=handled href=\"two.htm\" "
                           "onclick=\"return false\">押すと</a> <a href=\"javascript:void(0)\">スクリプトのリンク</a></p>\n"
                           "<p id=text>台本が書きかえる</p>\n<p id=attr class=before>台本が属性を変える</p>\n"
                           "<ul><li>x<li>y</ul>\n<object data=\"none.svg\" type=\"image/svg+xml\"><p>代わりの文</p></object>\n"
                           "<template id=tpl><p>ひな形</p></template>\n<script>\ncounter = 1;\n"
                           "document.getElementById('text').textContent = '書きかえた';\n"
                           "document.getElementById('attr').className = 'after';\n"
                           "document.body.insertBefore(document.createElement('p'), document.body.firstChild)"
                           ".textContent = '台本が足した段落';\n</script>\n"
                           "<p id=end>end</p>\n</body>\n</html>\n",
                           sjis));
        auto w = start(page);
        QCOMPARE(w->documentFormat().encoding, QByteArray("Shift_JIS"));
        if (!turnOn(w.get()))
            QSKIP("the browser engine does not run here; the live preview needs it");
        LivePreview *live = w->livePreview();
        BrowserView *view = live->view();
        EditArea *edit = w->edit();
        struct Edit {
            const char *what;
            QString from, to;
            bool inPlace;
        };
        const Edit edits[] = {
            {"text in a paragraph", "一つ目の段落", "一つ目の長い段落", true},
            {"the second of two equal texts", "<p id=c>同じ文", "<p id=c>同じ文です", true},
            {"character references", "&amp; 記号", "&lt;&#x3042; 記号", true},
            {"a line break in a text: the lines below move", "一つ目の長い段落", "一つ目の\n長い段落", true},
            {"preformatted text", "  整形済み", "  整形済み\n\n  二行目", true},
            {"a text area", "入力欄", "入力欄です", true},
            {"an attribute value", "class=x", "class=\"y z\"", true},
            {"an address", "href=\"one.htm\"", "href=\"three.htm\"", true},
            {"lines removed inside a text", "一つ目の\n長い段落", "一つ目の長い段落", true},
            {"a new element", "<p id=b>同じ文", "<p id=b>同じ文<br>", false},
            {"an element removed", "<li>x<li>y", "<li>x", false},
            {"the text of a script", "counter = 1;", "counter = 2;", false},
            {"the fallback of an object", "代わりの文", "別の代わりの文", false},
            {"a template", "ひな形", "別のひな形", false},
            {"an event handler added", "<p id=end>", "<p id=end onclick=\"counter++\">", false},
            {"the text of an element with an event handler", "押すと", "押すとよい", false},
            {"the text of a link that runs a script", "スクリプトのリンク", "スクリプトへのリンク", false},
            {"a javascript: address", "href=\"three.htm\"", "href=\" Java\tScript:counter++\"", false},
            {"the title", "台本のあるページ", "題の変わったページ", false},
            {"a text the page's script replaced", "台本が書きかえる", "台本が書きかえない", false},
            {"an element whose attribute the page's script changed", "台本が属性を変える", "台本が属性を変えた", false},
        };
        for (const Edit &e : edits) {
            // What the page's scripts keep while it is shown: set by the page, set from outside.
            const QString loadedAt = eval(view, "String(loadedAt)").toString();
            QVERIFY(!loadedAt.isEmpty());
            eval(view, "window.fromOutside = 'kept'; 1");
            const int at = int(edit->text().indexOf(e.from));
            QVERIFY2(at >= 0, e.what);
            edit->select(at, int(e.from.size()));
            edit->insert(e.to);
            updateNow(w.get());
            QVERIFY2(live->lastInPlace() == e.inPlace, e.what);
            if (!e.inPlace) {
                QVERIFY2(eval(view, "String(loadedAt)").toString() != loadedAt, e.what);
                continue;
            }
            QCOMPARE(eval(view, "String(loadedAt) + ' ' + window.fromOutside + ' ' + counter").toString(),
                     loadedAt + " kept 1");
            const QString patched = pageState(view);
            live->setInPlace(false);
            updateNow(w.get());
            live->setInPlace(true);
            QCOMPARE(patched, pageState(view));
        }
        // The program's part (and the copy it keeps) is out of the page's scripts' reach.
        QCOMPARE(eval(view, "typeof tarnellUpdate + typeof tarnellSend").toString(), QString("undefinedundefined"));
        // The scripts ran again with each load: what they change is still theirs.
        QCOMPARE(eval(view, "document.getElementById('text').textContent + document.title").toString(),
                 QString("書きかえた題の変わったページ"));
        // The preview turned off and on again loads the page afresh, though nothing changed.
        const QString loadedAt = eval(view, "String(loadedAt)").toString();
        w->action("viewLivePreview")->trigger();
        QSignalSpy updated(live, &LivePreview::updated);
        w->action("viewLivePreview")->trigger();
        waitForUpdate(w.get(), updated);
        QVERIFY(!live->lastInPlace());
        QVERIFY(eval(view, "String(loadedAt)").toString() != loadedAt);
    }

    void pageMayNotGoAnywhere()
    {
        writePage("other.htm", "<title>other</title>");
        const QString page = writePage("links.htm", "<html><head><title>links</title></head><body>\n"
                                                    "<a id=out href=\"other.htm\">out</a>\n"
                                                    "<a id=blank href=\"other.htm\" target=\"_blank\">blank</a>\n"
                                                    "<a id=down href=\"other.htm\" download>down</a>\n"
                                                    "<a id=in href=\"#end\">in</a>\n"
                                                    "<p style=\"height: 3000px\">tall</p><p id=end>end</p>\n"
                                                    "</body></html>\n");
        auto w = start(page);
        if (!turnOn(w.get()))
            QSKIP("the browser engine does not run here; the live preview needs it");
        BrowserView *view = w->livePreview()->view();
        const QUrl url = view->url();
        const int windows = int(QApplication::topLevelWidgets().size());

        eval(view, "document.getElementById('out').click(); 1");
        QTRY_VERIFY_WITH_TIMEOUT(w->statusBar()->currentMessage().contains("リンク先を開きません"), 10000);
        QVERIFY(w->statusBar()->currentMessage().contains("other.htm"));
        eval(view, "document.getElementById('blank').click(); window.open('other.htm'); 1");
        QTRY_VERIFY_WITH_TIMEOUT(w->statusBar()->currentMessage().contains("新しいウィンドウを開きません"), 10000);
        eval(view, "document.getElementById('down').click(); 1");
        QTRY_VERIFY_WITH_TIMEOUT(w->statusBar()->currentMessage().contains("ダウンロードしません"), 10000);
        eval(view, "location.reload(); 1");
        QTRY_VERIFY_WITH_TIMEOUT(w->statusBar()->currentMessage().contains("再読み込みは行いません"), 10000);
        QTest::qWait(300);
        QCOMPARE(view->url(), url);
        QCOMPARE(eval(view, "document.title").toString(), QString("links"));
        QCOMPARE(int(QApplication::topLevelWidgets().size()), windows);
        // A link within the page still scrolls it.
        eval(view, "document.getElementById('in').click(); 1");
        QTRY_VERIFY_WITH_TIMEOUT(eval(view, "window.scrollY").toInt() > 1000, 10000);
        QCOMPARE(entries(site), QStringList({"links.htm", "other.htm"}));
    }

    void badPagesLeaveTheEditorAlone()
    {
        auto w = start();
        w->livePreview()->setHangTimeout(500);
        if (!turnOn(w.get()))
            QSKIP("the browser engine does not run here; the live preview needs it");
        BrowserView *view = w->livePreview()->view();
        const int windows = int(QApplication::topLevelWidgets().size());
        QSignalSpy updated(w->livePreview(), &LivePreview::updated);

        // Dialogs in a loop: nothing shows, the page runs on.
        w->edit()->setText("<title>a</title><script>for (let i = 0; i < 500; ++i) { alert(i); confirm(i); prompt(i); }"
                           "document.title = 'dialogs done';</script>");
        waitForUpdate(w.get(), updated);
        QCOMPARE(eval(view, "document.title").toString(), QString("dialogs done"));
        QCOMPARE(int(QApplication::topLevelWidgets().size()), windows);

        // A page that reloads itself stays the one served.
        updated.clear();
        w->edit()->setText("<title>again</title><script>setTimeout(function () { location.reload(); }, 10);</script>"
                           "<meta http-equiv=refresh content=\"0; url=elsewhere.htm\">");
        waitForUpdate(w.get(), updated);
        QTest::qWait(300);
        QCOMPARE(eval(view, "document.title").toString(), QString("again"));

        // A script that never returns: the editor goes on, and the next text replaces the page.
        updated.clear();
        w->edit()->setText("<title>stuck</title><script>while (true) {}</script>");
        w->livePreview()->updateNow();
        QTest::qWait(500);
        QElapsedTimer keys;
        keys.start();
        w->edit()->setText("<title>fine</title><p>fine</p>");
        QTest::keyClicks(w->edit(), "abc");
        QVERIFY(keys.elapsed() < 1000);
        QTRY_VERIFY_WITH_TIMEOUT(!updated.isEmpty() && updated.last().first().toBool() &&
                                     eval(view, "document.title").toString() == "fine",
                                 30000);
    }
};

int main(int argc, char *argv[])
{
    PreviewPane::registerScheme();
    LivePreview::registerScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestLivePreview t;
    return QTest::qExec(&t, argc, argv);
}
#include "test_livepreview.moc"

// Tag completion in the editing area: the list after "<", a space and `="`, the keys
// that take or close it, "</" closing the open element, the switch, the input method,
// and how soon the list shows on a large page.
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QListWidget>
#include <QtTest>

#include "editing/editview.h"
#include "editing/livehighlight.h"
#include "editing/tagcompleter.h"
#include "platform/editarea.h"
#include "testutil.h"

class TestTagCompleter : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolders> folders;
    std::unique_ptr<EditArea> edit;
    EditView *view = nullptr;
    TagCompleter *completer = nullptr;

    // Types keys; a line break is the Return key.
    void type(const QString &keys)
    {
        const QStringList lines = keys.split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(edit.get(), Qt::Key_Return);
            QTest::keyClicks(edit.get(), lines[i]);
        }
    }
    void key(Qt::Key k) { QTest::keyClick(edit.get(), k); }
    QString shown() const
    {
        QStringList items;
        for (int i = 0; i < completer->popup()->count(); ++i)
            items << completer->popup()->item(i)->text();
        return completer->isShowing() ? items.join(' ') : QString();
    }
    // The text with "|" at the caret.
    QString textWithCaret() const
    {
        QString t = edit->text();
        return t.insert(edit->selStart(), '|');
    }
    void setText(const QString &text)
    {
        edit->setText(text);
        edit->setSelStart(int(text.size()));
        view->highlighter()->finish();
    }

private slots:
    void init()
    {
        folders = std::make_unique<TestFolders>();
        edit = std::make_unique<EditArea>();
        view = new EditView(edit.get());
        completer = new TagCompleter(edit.get());
        edit->resize(600, 400);
        edit->show();
        QVERIFY(QTest::qWaitForWindowExposed(edit.get()));
        edit->setFocus();
    }
    void cleanup()
    {
        edit.reset();
        folders.reset();
    }

    void elementNames()
    {
        setText("<body>\n");
        type("<");
        QVERIFY(completer->isShowing());
        QVERIFY(shown().startsWith("a abbr address"));
        type("se");
        QCOMPARE(shown(), QString("search section select"));
        key(Qt::Key_Down);
        key(Qt::Key_Return);
        QCOMPARE(textWithCaret(), QString("<body>\n<section|"));
        QVERIFY(!completer->isShowing());
        // Tab takes the entry as well (and adds no spaces).
        type(">\n<hea");
        QCOMPARE(shown(), QString("head header"));
        key(Qt::Key_Tab);
        QCOMPARE(textWithCaret(), QString("<body>\n<section>\n<head|"));
    }

    void escapeAndTypingOn()
    {
        setText("");
        type("<");
        QVERIFY(completer->isShowing());
        key(Qt::Key_Escape);
        QVERIFY(!completer->isShowing());
        // Typing on after Escape leaves the list closed; Enter is a line break again.
        type("div>");
        QVERIFY(!completer->isShowing());
        key(Qt::Key_Return);
        QCOMPARE(edit->text(), QString("<div>\n"));
        // A name nothing starts with closes the list; the text is as typed.
        type("<u");
        QCOMPARE(shown(), QString("u ul"));
        type("z");
        QVERIFY(!completer->isShowing());
        QCOMPARE(edit->text(), QString("<div>\n<uz"));
        // A click elsewhere closes it too.
        type("> <");
        QVERIFY(completer->isShowing());
        edit->setSelStart(0);
        QVERIFY(!completer->isShowing());
    }

    void attributesAndValues()
    {
        setText("<p>\n");
        type("<a ");
        QVERIFY(shown().contains("href"));
        QVERIFY(shown().contains("target"));
        type("tar");
        QCOMPARE(shown(), QString("target"));
        key(Qt::Key_Return);
        QCOMPARE(textWithCaret(), QString("<p>\n<a target=\"|\""));
        // The values follow at once.
        QCOMPARE(shown(), QString("_blank _self _parent _top"));
        key(Qt::Key_Return);
        QCOMPARE(textWithCaret(), QString("<p>\n<a target=\"_blank\"|"));
        // A value typed by hand: `="` opens the list.
        type(" rel=\"no");
        QCOMPARE(shown(), QString("nofollow noopener noreferrer"));
        key(Qt::Key_Escape);
        // An attribute written without a value.
        setText("<video");
        type(" contr");
        key(Qt::Key_Tab);
        QCOMPARE(textWithCaret(), QString("<video controls|"));
        // Nothing in end tags, comments or script code.
        for (const char *t : {"</div ", "<!-- <", "<script>\nif (a <"}) {
            setText(t);
            type(" <");
            QVERIFY2(!completer->isShowing(), t);
        }
    }

    void closingTheOpenElement_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("nested") << "<div>\n<p>text</p>\n<span>x" << "<div>\n<p>text</p>\n<span>x</span>|";
        QTest::newRow("void") << "<div><br><img src=\"a\">" << "<div><br><img src=\"a\"></div>|";
        QTest::newRow("commented") << "<ul>\n<!-- <li> -->\n" << "<ul>\n<!-- <li> -->\n</ul>|";
        QTest::newRow("script") << "<body>\n<script>\nvar a = \"<p>\";\n" << "<body>\n<script>\nvar a = \"<p>\";\n</script>|";
        QTest::newRow("nothing open") << "<p>a</p>" << "<p>a</p></|";
        QTest::newRow("in a comment") << "<div><!-- " << "<div><!-- </|";
    }

    void closingTheOpenElement()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        setText(before);
        type("</");
        QCOMPARE(textWithCaret(), after);
    }

    void switchedOff()
    {
        completer->setEnabled(false);
        QCOMPARE(AppEnv::setting("view", "viewComplete", "1"), QString("0"));
        setText("<div>");
        type("</");
        QCOMPARE(edit->text(), QString("<div></"));
        type("<");
        QVERIFY(!completer->isShowing());
        // The next start reads the switch back.
        TagCompleter again(edit.get());
        QVERIFY(!again.isEnabled());
    }

    void inputMethodNeverTriggers()
    {
        setText("<div>");
        // Text being composed: nothing opens, nothing is added.
        QInputMethodEvent preedit("<", {});
        QApplication::sendEvent(edit.get(), &preedit);
        QVERIFY(edit->isComposing());
        QVERIFY(!completer->isShowing());
        // Nor does a key that arrives while composing.
        type("</");
        QVERIFY(!completer->isShowing());
        QVERIFY(!edit->text().contains("</div>"));
        // Committed by the input method: "</" stays as it came.
        setText("<div>");
        QInputMethodEvent commit;
        commit.setCommitString("</");
        QApplication::sendEvent(edit.get(), &commit);
        QVERIFY(!edit->isComposing());
        QCOMPARE(edit->text(), QString("<div></"));
        // A list open when composing begins closes.
        setText("<p>");
        type("<");
        QVERIFY(completer->isShowing());
        QInputMethodEvent again("ひ", {});
        QApplication::sendEvent(edit.get(), &again);
        QVERIFY(!completer->isShowing());
    }

    void quickOnALargePage()
    {
        // A page of about 1 MB; the caret near its end, deep inside open elements.
        QString page = "<html>\n<body>\n<main>\n";
        const QString row = "<section class=\"s\"><h2>見出し</h2><p>本文のテキスト、<a href=\"x.htm\">リンク</a>と<br>改行。</p>"
                            "<!-- <div> --><script>var x = \"<p>\";</script></section>\n";
        while (page.size() < 1'000'000)
            page += row;
        page += "<article>\n<div>\n";
        setText(page);
        QElapsedTimer clock;
        qint64 worst = 0;
        for (int i = 0; i < 5; ++i) {
            clock.start();
            type("<");
            QVERIFY(completer->isShowing());
            worst = qMax(worst, clock.elapsed());
            key(Qt::Key_Escape);
            key(Qt::Key_Backspace);
        }
        clock.start();
        type("</");
        const qint64 closing = clock.elapsed();
        QVERIFY(edit->text().endsWith("<div>\n</div>"));
        // The closing search crosses the whole page for the body.
        type("\n</");
        QVERIFY(edit->text().endsWith("</article>"));
        clock.start();
        type("\n</");
        const qint64 far = clock.elapsed();
        QVERIFY(edit->text().endsWith("</article>\n</main>"));
        qInfo("1 MB page: list after \"<\" %lld ms (worst of 5), \"</\" %lld ms, \"</\" over the page %lld ms", worst,
              closing, far);
        QVERIFY(worst < 300);

        // A page on one line (200 000 characters): what is typed is read near the caret only.
        QString line = page.left(page.lastIndexOf('\n', 200'000));
        line.replace('\n', ' ');
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);  // as the program starts
        setText(line);
        // The editor itself lays out the long line at each key: the list must add little.
        clock.start();
        type("x");
        const qint64 plainKey = clock.elapsed();
        clock.start();
        type("<");
        const qint64 oneLine = clock.elapsed();
        QVERIFY(completer->isShowing());
        key(Qt::Key_Escape);
        type("a ");
        QVERIFY(shown().contains("href"));
        qInfo("200 000 characters on one line: a plain key %lld ms, list after \"<\" %lld ms", plainKey, oneLine);
        QVERIFY(oneLine < plainKey * 2 + 300);
    }
};

QTEST_MAIN(TestTagCompleter)
#include "test_tagcompleter.moc"

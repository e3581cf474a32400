// A minified page (one very long line) in the main window: the status bar counts the
// text's lines and columns, undo in every history mode gives back the exact text, and the
// saved bytes are the page's own.
#include "app/mainwindow.h"
#include "platform/editarea.h"
#include "platform/prompts.h"
#include "platform/shared.h"
#include "testutil.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QtTest>
#include <memory>

namespace {

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString caretStatus(MainWindow &w)
{
    for (QLabel *l : w.statusBar()->findChildren<QLabel *>())
        if (l->text().contains(QStringLiteral(" 行  ")))
            return l->text();
    return QString();
}

}  // namespace

class TestLongPage : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolders> folders;

private slots:
    void init()
    {
        folders = std::make_unique<TestFolders>();
        QFile t(folders->program + "/tmp.htm");
        QVERIFY(t.open(QIODevice::WriteOnly));
        t.write("<html>\r\n</html>\r\n");
        Prompts::setAnswerer([](const QString &, const QString &) { return QString::number(QMessageBox::No); });
    }
    void cleanup()
    {
        Prompts::setAnswerer({});
        folders.reset();
    }

    void editUndoAndSaveAMinifiedPageExactly()
    {
        QString line = QStringLiteral("<body>");
        for (int i = 0; line.size() < 60000; ++i)
            line += QStringLiteral("<li class=\"x\">項目 %1</li>").arg(i);
        const QString head = QStringLiteral("<!DOCTYPE html>\r\n");
        const QByteArray bytes = (head + line + QStringLiteral("\r\n</html>\r\n")).toUtf8();
        const QString path = folders->path("min.htm");
        for (int mode : {1, 2, 3}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
            f.close();
            AppEnv::setSetting("main", "ModosuMode", QString::number(mode));
            auto w = std::make_unique<MainWindow>();
            w->startUp(path);
            w->resize(900, 600);
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.get()));
            EditArea *e = w->edit();
            e->setFocus();
            const QString loaded = e->text();
            // The line end after the last line is the file's, not the text's.
            QCOMPARE(loaded + "\n", QString::fromUtf8(bytes).replace("\r\n", "\n"));
            QVERIFY(e->softBreakCount() > 30);

            // The status bar: the long line is line 2 wherever the caret is in it.
            const int at = e->textPosition(e->softBreaks()[20]);
            e->setSelStart(at);
            QTRY_COMPARE(caretStatus(*w), QStringLiteral("2 行  %1 桁").arg(at - 16 + 1));

            // Typing at a soft break, then a selection over several breaks typed over.
            QTest::keyClicks(e, "ab");
            const QString typed = loaded.left(at) + "ab" + loaded.mid(at);
            QCOMPARE(e->text(), typed);
            const int from = e->textPosition(e->softBreaks()[5]) - 3;
            e->select(from, 5000);
            QTest::keyClicks(e, "Z");
            const QString replaced = typed.left(from) + "Z" + typed.mid(from + 5000);
            QCOMPARE(e->text(), replaced);
            QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(e->text(), typed);
            // The deep mode selects what was selected, the others put the caret after it.
            QCOMPARE(e->selStart(), mode == 3 ? from : from + 5000);
            QCOMPARE(e->selLength(), mode == 3 ? 5000 : 0);
            w->undo();
            // The deep mode takes the typed word back whole, the others a key at a time.
            QCOMPARE(e->text(), mode == 3 ? loaded : loaded.left(at) + "a" + loaded.mid(at));
            if (mode != 3)
                w->undo();
            QCOMPARE(e->text(), loaded);
            w->redo();
            QCOMPARE(e->text(), mode == 3 ? typed : loaded.left(at) + "a" + loaded.mid(at));
            const QString redone = e->text();

            // Saved: the page's bytes and line ends, with the one letter typed at a break.
            const int b = e->textPosition(e->softBreaks()[12]);
            e->setSelStart(b);
            QTest::keyClicks(e, "x");
            QVERIFY(w->save());
            QString expected = redone;
            expected.insert(b, 'x');
            expected += "\n";
            QCOMPARE(readBytes(path), expected.replace("\n", "\r\n").toUtf8());
            QVERIFY(w->shutDown());
        }
    }

    void theCaretPlaceKeepsUpWithQuickKeys()
    {
        // The first key shows its place at once; keys that follow quickly show theirs together
        // a moment later, and the last one is what stays. Moves without keys show at once.
        auto w = std::make_unique<MainWindow>();
        w->startUp(QString());
        EditArea *e = w->edit();
        e->setText(QStringLiteral("<html>\n<body>\n<p>abc</p>\n</body>\n</html>"));
        e->setSelStart(e->lineStart(1) + 2);
        QCOMPARE(caretStatus(*w), QStringLiteral("2 行  3 桁"));
        e->setSelStart(e->lineStart(2) + 3);
        QCOMPARE(caretStatus(*w), QStringLiteral("3 行  4 桁"));
        QTest::qWait(200);
        QTest::keyClick(e, Qt::Key_X);
        QCOMPARE(caretStatus(*w), QStringLiteral("3 行  5 桁"));
        QTest::keyClicks(e, "yz");
        QTRY_COMPARE(caretStatus(*w), QStringLiteral("3 行  7 桁"));
        QTest::qWait(300);
        QCOMPARE(caretStatus(*w), QStringLiteral("3 行  7 桁"));
        e->setSelStart(e->lineStart(0));
        QCOMPARE(caretStatus(*w), QStringLiteral("1 行  1 桁"));
        QVERIFY(w->shutDown());
    }
};

QTEST_MAIN(TestLongPage)
#include "test_longpage.moc"

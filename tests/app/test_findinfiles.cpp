// Search in files from the main window: the menu item, the dialog's starting folder and
// opening a result with the save prompt.
#include "app/mainwindow.h"
#include "platform/editarea.h"
#include "platform/prompts.h"
#include "testutil.h"
#include "tools/grepfrm.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>
#include <QtTest>

class TestFindInFiles : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolders> folders;
    QStringList asked;
    QStringList askAnswers;

    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void init()
    {
        folders = std::make_unique<TestFolders>();
        asked.clear();
        askAnswers.clear();
        Prompts::setAnswerer([this](const QString &kind, const QString &text) {
            asked << kind + ":" + text;
            return kind == "ask" && !askAnswers.isEmpty() ? askAnswers.takeFirst() : QString();
        });
        write(folders->program + "/tmp.htm", "<html>\r\n</html>\r\n");
        QDir().mkpath(folders->path("site"));
        write(folders->path("site/index.htm"), "<p>one</p>\r\n<a href=\"old.htm\">x</a>\r\n");
        write(folders->path("site/other.htm"), "<a href=\"old.htm\">y</a>\r\n");
    }
    void cleanup()
    {
        Prompts::setAnswerer({});
        folders.reset();
    }

    void menuItemOpensDialogAtDocumentFolder()
    {
        MainWindow w;
        w.startUp(folders->path("site/index.htm"));
        QAction *a = w.action("FindInFiles");
        QVERIFY(a);
        QCOMPARE(a->text(), QStringLiteral("フォルダ内を検索(&G)…"));
        QVERIFY(w.menu("mmKensaku")->actions().contains(a));
        QString folder;
        QTimer::singleShot(0, [&] {
            auto *d = w.findChild<GrepFrm *>("frmGrep");
            QVERIFY(d);
            folder = QDir::fromNativeSeparators(d->findChild<QLineEdit *>("txtFolder")->text());
            d->reject();
        });
        a->trigger();
        QCOMPARE(folder, folders->path("site"));
        QVERIFY(!w.findChild<GrepPane *>("GrepPane"));  // cancelled: no search, no panel
    }

    void resultOpensWithSavePrompt()
    {
        MainWindow w;
        w.startUp(folders->path("site/index.htm"));
        GrepPane *pane = GrepPane::of(&w);
        pane->setOpenAt([&](const QString &path, int at, int length) { return w.openAt(path, at, length); });
        GrepQuery q;
        q.pattern = "old.htm";
        q.folder = folders->path("site");
        QSignalSpy done(pane, &GrepPane::finished);
        pane->start(q);
        QVERIFY(done.wait(10000));
        QCOMPARE(pane->results()->topLevelItemCount(), 2);
        int otherRow = pane->results()->topLevelItem(0)->text(0) == "other.htm" ? 0 : 1;

        // The document itself: selected without loading again.
        w.edit()->setSelStart(0);
        pane->openRow(1 - otherRow);
        QCOMPARE(w.edit()->selText(), QString("old.htm"));
        QVERIFY(asked.isEmpty());

        // Another file while the document is modified: the save prompt first; Cancel keeps it.
        w.edit()->setSelStart(0);
        w.edit()->insert("changed ");
        askAnswers << QString::number(QMessageBox::Cancel);
        pane->openRow(otherRow);
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked.first().startsWith("ask:"));
        QVERIFY(w.edit()->text().startsWith("changed "));
        // No: the other file opens with the match selected.
        askAnswers << QString::number(QMessageBox::No);
        pane->openRow(otherRow);
        QCOMPARE(w.documentPath(), folders->path("site/other.htm"));
        QCOMPARE(w.edit()->selStart(), 9);
        QCOMPARE(w.edit()->selText(), QString("old.htm"));
    }
};

QTEST_MAIN(TestFindInFiles)
#include "test_findinfiles.moc"


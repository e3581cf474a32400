// The recent-files list and the undo history, without any window.
#include "document/recentfiles.h"
#include "document/textfile.h"
#include "document/undohistory.h"
#include "testutil.h"

#include <QFile>
#include <QtTest>

class TestHistory : public QObject {
    Q_OBJECT

    // An editor stand-in: setting the text runs the change handler like the real one.
    struct Editor {
        UndoHistory &h;
        QString text;
        void set(const QString &t)
        {
            text = t;
            h.onChange(text);
        }
        std::function<void(const QString &)> setter()
        {
            return [this](const QString &t) { set(t); };
        }
    };

private slots:
    void recentFilesRules()
    {
        RecentFiles r;
        r.add("/a");
        r.add("/b");
        r.add("/a");  // already listed: moves to the top, no duplicate
        QCOMPARE(r.paths(), QStringList({"/a", "/b"}));
        r.add("/A");  // letter case counts
        QCOMPARE(r.count(), 3);
        for (const char *p : {"/c", "/d", "/e"})
            r.add(p);
        QCOMPARE(r.paths(), QStringList({"/e", "/d", "/c", "/A", "/a"}));  // /b dropped out
        r.add("/c");
        QCOMPARE(r.paths(), QStringList({"/c", "/e", "/d", "/A", "/a"}));

        QCOMPARE(parseRecentCount("3"), 3);
        QCOMPARE(parseRecentCount("abc"), 0);
        QCOMPARE(parseRecentCount("-2"), 0);
        QCOMPARE(parseRecentCount("12"), 5);
    }

    void recentFilesSurviveARestart()
    {
        TestFolders folders;
        RecentFiles r;
        r.add("/x/1 日本.htm");
        r.add("/x/2.htm");
        r.save();
        AppEnv::syncSettings();
        AppEnv::setSettingsFolder(folders.settings);  // reopen the store from disk
        RecentFiles again;
        again.load();
        QCOMPARE(again.paths(), r.paths());
    }

    void fileHistoryWalksBackThreeSteps()
    {
        TestFolders folders;
        UndoHistory h;
        h.setFolder(folders.program);
        h.setMode(UndoHistory::Files);
        Editor e{h, "T"};
        h.writeBase("T");
        e.set("TA");
        e.set("TAB");
        e.set("TABC");
        QVERIFY(h.canUndo());
        QVERIFY(h.undo(e.text, e.setter()));
        QCOMPARE(e.text, QString("TAB"));
        QVERIFY(h.undo(e.text, e.setter()));
        QCOMPARE(e.text, QString("TA"));
        QVERIFY(h.undo(e.text, e.setter()));
        QCOMPARE(e.text, QString("T"));
        QVERIFY(!QFile::exists(h.filePath(1)));
        QVERIFY(!h.canUndo());
        // A fourth undo finds nothing and leaves the text (and the redo text) alone.
        QVERIFY(!h.undo(e.text, e.setter()));
        QCOMPARE(e.text, QString("T"));
        QCOMPARE(h.redoText(), QString("TA"));
    }

    void undoThenRedoEmptiesTheHistory()
    {
        for (int mode : {int(UndoHistory::Files), int(UndoHistory::Memory)}) {
            TestFolders folders;
            UndoHistory h;
            h.setFolder(folders.program);
            h.setMode(mode);
            Editor e{h, ""};
            e.set("one");
            e.set("two");
            QVERIFY(h.undo(e.text, e.setter()));
            QCOMPARE(e.text, QString("one"));
            QVERIFY(h.canRedo());
            h.redo(e.setter());
            QCOMPARE(e.text, QString("two"));
            QVERIFY(!h.canRedo());
            QVERIFY(!h.canUndo());
            for (int i = 0; i < 4; ++i)
                QVERIFY(!QFile::exists(h.filePath(i)));
            // Two more changes before undo is possible again.
            e.set("three");
            QVERIFY(!h.canUndo());
            e.set("four");
            QVERIFY(h.canUndo());
        }
    }

    void undoTypeUndoReturnsToTheTextBeforeTheFirstUndo()
    {
        for (int mode : {int(UndoHistory::Files), int(UndoHistory::Memory)}) {
            TestFolders folders;
            UndoHistory h;
            h.setFolder(folders.program);
            h.setMode(mode);
            Editor e{h, ""};
            e.set("a");
            e.set("ab");
            e.set("abc");
            QVERIFY(h.undo(e.text, e.setter()));
            QCOMPARE(e.text, QString("ab"));
            e.set("abX");
            QVERIFY(h.undo(e.text, e.setter()));
            QCOMPARE(e.text, QString("abc"));
        }
    }

    void modeOffWritesNothing()
    {
        TestFolders folders;
        UndoHistory h;
        h.setFolder(folders.program);
        h.setMode(UndoHistory::Off);
        Editor e{h, ""};
        e.set("a");
        e.set("b");
        QVERIFY(!QFile::exists(h.filePath(0)));
        QVERIFY(!h.canUndo());
        QVERIFY(!h.undo(e.text, e.setter()));
        QCOMPARE(e.text, QString("b"));
    }

    void historyFilesAreReadableTextWithJapanese()
    {
        TestFolders folders;
        UndoHistory h;
        h.setFolder(folders.program);
        Editor e{h, ""};
        e.set("一行目\n二行目");
        QCOMPARE(ReadTextFile(h.filePath(0)), QString("一行目\n二行目"));
        h.removeFiles();
        QVERIFY(!QFile::exists(h.filePath(0)));
    }
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"

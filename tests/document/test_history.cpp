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

    // A history of the given mode in a program folder of its own.
    struct Fresh {
        TestFolders folders;
        UndoHistory h;
        explicit Fresh(int mode)
        {
            h.setFolder(folders.program);
            h.setMode(mode);
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

        // A count larger than the entries kept: the missing ones are left out rather than
        // listed as documents without a path.
        AppEnv::setSetting("manu", "icount", "4");
        AppEnv::setSetting("manu", "3", "/x/3.htm");
        RecentFiles gaps;
        gaps.load();
        QCOMPARE(gaps.paths(), QStringList({"/x/2.htm", "/x/1 日本.htm", "/x/3.htm"}));
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
        h.flush();
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
            Fresh fresh(mode);
            UndoHistory &h = fresh.h;
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
            h.flush();
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
            Fresh fresh(mode);
            UndoHistory &h = fresh.h;
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

    void snapshotsComeBackExactlyWhateverThePageDeclares()
    {
        // A snapshot is the editor's text, not a page to guess the encoding of: a declared
        // charset that reads ASCII its own way must not change the text on undo.
        for (const QString &page : {QString("<meta charset=\"utf-7\">\nC++-style +AGE- sums"),
                                    QString("<meta charset=\"hz-gb-2312\">\na~{b~}c"),
                                    QString("plain \x1b$Bescape\x1b(B text")}) {
            for (int mode : {int(UndoHistory::Files), int(UndoHistory::Memory)}) {
                Fresh fresh(mode);
                UndoHistory &h = fresh.h;
                Editor e{h, ""};
                e.set(page);
                e.set(page + "x");
                QVERIFY(h.canUndo());
                QVERIFY(h.undo(e.text, e.setter()));
                QCOMPARE(e.text, page);
            }
        }
    }

    void undoIsOfferedExactlyWhenTheEarlierSnapshotHasText()
    {
        for (int mode : {int(UndoHistory::Files), int(UndoHistory::Memory)}) {
            Fresh fresh(mode);
            UndoHistory &h = fresh.h;
            Editor e{h, ""};
            QVERIFY(!h.canUndo());  // nothing yet
            e.set("");
            e.set("typed");
            QVERIFY(!h.canUndo());  // the earlier text is empty
            e.set("typed more");
            QVERIFY(h.canUndo());
            // An earlier empty text is still a snapshot in the file mode: Undo (by its shortcut)
            // goes back to it.
            if (mode == UndoHistory::Files) {
                QVERIFY(h.undo(e.text, e.setter()));
                QVERIFY(h.undo(e.text, e.setter()));
                QCOMPARE(e.text, QString());
                QCOMPARE(h.redoText(), QString("typed"));
            }
        }
    }

    void historyFilesAreReadableTextWithJapanese()
    {
        TestFolders folders;
        UndoHistory h;
        h.setFolder(folders.program);
        Editor e{h, ""};
        e.set("一行目\n二行目");
        h.flush();
        QCOMPARE(readTextFile(h.filePath(0)).text, QString("一行目\n二行目"));
        h.removeFiles();
        QVERIFY(!QFile::exists(h.filePath(0)));
    }
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"

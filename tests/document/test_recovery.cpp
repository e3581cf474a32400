// Instances and crash recovery: which slot a start takes, which texts it finds, and that the
// files of a live instance are never touched.
#include <QtTest>

#include "document/recovery.h"
#include "document/textfile.h"
#include "document/undohistory.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The history of an instance: its snapshots as the change handler writes them.
void takeSnapshots(const QString &folder, int slot, const QStringList &texts)
{
    UndoHistory h;
    h.setFolder(folder);
    h.setInstance(slot);
    h.setMode(UndoHistory::Files);
    for (const QString &t : texts)
        h.onChange(t);
}

TextFormat shiftJisLf()
{
    TextFormat f;
    f.encoding = "Shift_JIS";
    f.lineEnd = LineEnd::LF;
    f.finalLineEnd = false;
    return f;
}

// An instance in another process: takes its slot, records its document, takes snapshots and
// then waits until it is killed (kill -9: no shut-down sequence). Returns its process id.
pid_t runningInstance(const QString &folder, const QString &document, const QStringList &texts)
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        ::close(ready[0]);
        Recovery run(folder);
        run.acquire();
        run.recordDocument(document, document.isEmpty(), shiftJisLf());
        takeSnapshots(folder, run.slot(), texts);
        const char slot = char('0' + run.slot());
        (void)!write(ready[1], &slot, 1);
        for (;;)
            pause();
    }
    ::close(ready[1]);
    char slot = 0;
    (void)!read(ready[0], &slot, 1);
    ::close(ready[0]);
    return child;
}

void killHard(pid_t pid)
{
    ::kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

}  // namespace

class TestRecovery : public QObject {
    Q_OBJECT

private slots:
    void instancesTakeTheirOwnSlots();
    void killedInstanceIsFoundWithItsDocument();
    void answeredTextsAreDeletedOrLeft();
    void recordWhileSwitchingDocuments();
    void recordsReadBack();
};

void TestRecovery::instancesTakeTheirOwnSlots()
{
    QTemporaryDir dir;
    Recovery first(dir.path());
    first.acquire();
    QCOMPARE(first.slot(), 0);
    QVERIFY(first.found().empty());
    takeSnapshots(dir.path(), 0, {QStringLiteral("first a"), QStringLiteral("first ab")});

    // A second instance, in another process, gets slot 1 and its own history files; the first
    // one's files are not touched.
    const QByteArray firstNewest = bytesOf(dir.filePath(QStringLiteral("modo0.tmp")));
    const pid_t second = runningInstance(dir.path(), QStringLiteral("/w/b.htm"), {QStringLiteral("second")});
    QVERIFY(second > 0);
    QVERIFY(filesIn(dir.path()).contains(QStringLiteral("modo0-1.tmp")));
    QVERIFY(filesIn(dir.path()).contains(QStringLiteral("modo-1.inf")));
    QCOMPARE(bytesOf(dir.filePath(QStringLiteral("modo0.tmp"))), firstNewest);

    // A third start while both run finds nothing to offer and takes slot 2.
    {
        Recovery third(dir.path());
        third.acquire();
        QCOMPARE(third.slot(), 2);
        QVERIFY(third.found().empty());
        QCOMPARE(bytesOf(dir.filePath(QStringLiteral("modo0.tmp"))), firstNewest);
        QCOMPARE(readTextFile(dir.filePath(QStringLiteral("modo0-1.tmp")), TextFormat()).text, QStringLiteral("second"));
        third.release();
    }
    QVERIFY(!filesIn(dir.path()).contains(QStringLiteral("tarnell-2.lock")));

    // The first one shuts down: its files go, the second's stay; the next start takes slot 0.
    UndoHistory h;
    h.setFolder(dir.path());
    h.removeFiles();
    first.release();
    QCOMPARE(filesIn(dir.path()), (QStringList{QStringLiteral("modo-1.inf"), QStringLiteral("modo0-1.tmp"),
                                               QStringLiteral("tarnell-1.lock")}));
    Recovery again(dir.path());
    again.acquire();
    QCOMPARE(again.slot(), 0);
    QVERIFY(again.found().empty());
    killHard(second);
}

void TestRecovery::killedInstanceIsFoundWithItsDocument()
{
    QTemporaryDir dir;
    Recovery live(dir.path());
    live.acquire();
    live.recordDocument(QStringLiteral("/w/live.htm"), false, TextFormat());
    takeSnapshots(dir.path(), 0, {QStringLiteral("live text")});
    const QByteArray liveSnapshot = bytesOf(dir.filePath(QStringLiteral("modo0.tmp")));
    const QByteArray liveRecord = bytesOf(dir.filePath(QStringLiteral("modo.inf")));

    const pid_t victim = runningInstance(dir.path(), QStringLiteral("/w/doc.htm"),
                                         {QStringLiteral("<p>一</p>"), QStringLiteral("<p>一二</p>\n<p>三</p>")});
    killHard(victim);

    Recovery next(dir.path());
    next.acquire();
    QCOMPARE(next.slot(), 2);  // slot 1 is held for the offer
    QCOMPARE(next.found().size(), size_t(1));
    const RecoveredDocument &d = next.found().front();
    QCOMPARE(d.slot, 1);
    QCOMPARE(d.text, QStringLiteral("<p>一二</p>\n<p>三</p>"));  // the newest
    QVERIFY(!d.untitled);
    QCOMPARE(d.path, QStringLiteral("/w/doc.htm"));
    QCOMPARE(d.format.encoding, QByteArray("Shift_JIS"));
    QCOMPARE(d.format.lineEnd, LineEnd::LF);
    QVERIFY(!d.format.finalLineEnd);

    // While it is held, another start does not offer it again.
    {
        Recovery other(dir.path());
        other.acquire();
        QVERIFY(other.found().empty());
    }
    // The live instance's files were read by nobody's hand but its own.
    QCOMPARE(bytesOf(dir.filePath(QStringLiteral("modo0.tmp"))), liveSnapshot);
    QCOMPARE(bytesOf(dir.filePath(QStringLiteral("modo.inf"))), liveRecord);
    QVERIFY(filesIn(dir.path()).contains(QStringLiteral("tarnell-0.lock")));

    // A snapshot without a lock or record at all (an older version) is offered as untitled.
    QTemporaryDir bare;
    takeSnapshots(bare.path(), 0, {QStringLiteral("left")});
    Recovery start(bare.path());
    start.acquire();
    QCOMPARE(start.slot(), 1);
    QCOMPARE(start.found().size(), size_t(1));
    QCOMPARE(start.found().front().text, QStringLiteral("left"));
    QVERIFY(start.found().front().untitled);
}

void TestRecovery::answeredTextsAreDeletedOrLeft()
{
    // Three runs one after another, each killed: each found the ones before still unanswered
    // and took the next slot.
    QTemporaryDir dir;
    const QStringList docs = {QStringLiteral("/w/a.htm"), QStringLiteral("/w/b.htm"), QStringLiteral("/w/c.htm")};
    for (const QString &doc : docs)
        killHard(runningInstance(dir.path(), doc, {doc + QStringLiteral(" text")}));

    Recovery start(dir.path());
    start.acquire();
    QCOMPARE(start.slot(), 3);
    QCOMPARE(start.found().size(), size_t(3));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(start.found()[size_t(i)].slot, i);
        QCOMPARE(start.found()[size_t(i)].path, docs[i]);
    }
    // Declined: deleted, and this start, which has written nothing yet, moves down to slot 0.
    start.discard(0);
    QCOMPARE(start.slot(), 0);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("modo0.tmp"))));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("tarnell-3.lock"))));
    // Left for a later start: released, the files stay, and the next start offers them.
    start.leave(1);
    start.leave(2);
    QVERIFY(start.found().empty());
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("modo0-1.tmp"))));
    Recovery later(dir.path());
    later.acquire();
    QCOMPARE(later.found().size(), size_t(2));
    QCOMPARE(later.found()[0].text, QStringLiteral("/w/b.htm text"));
    QCOMPARE(later.found()[1].text, QStringLiteral("/w/c.htm text"));
    // Restored elsewhere after this start recorded its own document: it stays in its slot.
    later.recordDocument(QStringLiteral("/w/mine.htm"), false, TextFormat());
    const int own = later.slot();
    later.discard(1);
    QCOMPARE(later.slot(), own);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("modo0-1.tmp"))));
}

void TestRecovery::recordWhileSwitchingDocuments()
{
    // An instance opens other.htm over its edited doc.htm and dies between the record and the
    // snapshot: the snapshot is still doc.htm's text and must be offered as doc.htm.
    QTemporaryDir dir;
    const QString docPath = dir.filePath(QStringLiteral("doc.htm")), otherPath = dir.filePath(QStringLiteral("other.htm"));
    QVERIFY(writeTextFile(otherPath, QStringLiteral("other's text")));
    auto crashAfter = [&](bool snapshotWritten) {
        Recovery run(dir.path());
        run.acquire();
        run.recordDocument(docPath, false, TextFormat());
        takeSnapshots(dir.path(), run.slot(), {QStringLiteral("doc's unsaved text")});
        run.recordSwitch(otherPath, false, TextFormat());
        if (snapshotWritten)
            takeSnapshots(dir.path(), run.slot(), {QStringLiteral("other's text")});
        _exit(0);  // dies here, without shutting down
    };
    for (const bool written : {false, true}) {
        const pid_t child = fork();
        if (child == 0)
            crashAfter(written);
        int status = 0;
        waitpid(child, &status, 0);
        Recovery next(dir.path());
        next.acquire();
        QCOMPARE(next.found().size(), size_t(1));
        const RecoveredDocument &d = next.found().front();
        if (!written) {
            QCOMPARE(d.path, docPath);
            QCOMPARE(d.text, QStringLiteral("doc's unsaved text"));
        } else {
            // The new document as loaded: nothing to restore.
            QCOMPARE(d.path, otherPath);
            QVERIFY(d.text.isEmpty());
        }
        next.discard(d.slot);
        next.release();
    }
}

void TestRecovery::recordsReadBack()
{
    TextFormat f;
    f.encoding = "EUC-JP";
    f.bom = false;
    f.lineEnd = LineEnd::CR;
    f.finalLineEnd = false;
    const QString odd = QStringLiteral("/tmp/名前 with\nline break%.htm");
    RecoveredDocument d;
    d.text = QStringLiteral("kept");
    d.slot = 4;
    QVERIFY(parseDocumentRecord(documentRecord(odd, false, f), &d));
    QCOMPARE(d.path, odd);
    QVERIFY(!d.untitled);
    QCOMPARE(d.format.encoding, QByteArray("EUC-JP"));
    QCOMPARE(d.format.lineEnd, LineEnd::CR);
    QVERIFY(!d.format.finalLineEnd);
    QCOMPARE(d.text, QStringLiteral("kept"));
    QCOMPARE(d.slot, 4);
    // Damaged or empty records are refused, so the text is offered as untitled instead.
    QVERIFY(!parseDocumentRecord("untitled=0\n", &d));
    QVERIFY(!parseDocumentRecord(QByteArray(), &d));
}

QTEST_GUILESS_MAIN(TestRecovery)
#include "test_recovery.moc"
